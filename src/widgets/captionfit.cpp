#include "widgets/captionfit.h"

#include <QLabel>
#include <QRadioButton>

#include <algorithm>

namespace calmora {

namespace {

// Room kept between a caption and its frame's edge, and the least indent of an
// option from the frame's left edge.
constexpr int kEdge = 4;
constexpr int kMinIndent = 9;

} // namespace

void wrapIfCut(QLabel *label)
{
    if (label->sizeHint().width() <= label->width())
        return;
    label->setWordWrap(true);
    // The lines stay centred where the one line was, beside the control it names.
    const int height = std::max(label->height(), label->heightForWidth(label->width()));
    const int top = std::max(0, label->y() - (height - label->height()) / 2);
    label->setGeometry(label->x(), top, label->width(), height);
}

void fitOptions(std::span<QRadioButton *const> options, int limit)
{
    if (options.empty())
        return;
    QWidget *frame = options.front()->parentWidget();
    int needed = 0;
    int indent = frame->width();
    for (const QRadioButton *option : options) {
        needed = std::max(needed, option->sizeHint().width());
        indent = std::min(indent, option->x());
    }
    int frameWidth = frame->width();
    if (indent + needed + kEdge > frameWidth) {
        indent = std::clamp(frameWidth - kEdge - needed, std::min(indent, kMinIndent), indent);
        frameWidth =
            std::clamp(indent + needed + kEdge, frameWidth, std::max(frameWidth, limit - frame->x()));
        frame->resize(frameWidth, frame->height());
    }
    // Only as wide as the caption needs: a radio button takes clicks on its
    // indicator and caption alone, so a wider one has a dead strip that looks live.
    const int room = frameWidth - kEdge - indent;
    for (QRadioButton *option : options) {
        if (option->sizeHint().width() > option->width() || option->x() > indent) {
            const int width = std::min(room, std::max(option->width(), option->sizeHint().width()));
            option->setGeometry(indent, option->y(), width, option->height());
        }
    }
}

} // namespace calmora
