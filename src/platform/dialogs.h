#pragma once

#include <QString>

class QWidget;

namespace calmora {

// Message boxes and the input box, behind one seam so tests can script answers.
// Every box carries the program's title as its caption, an OK button (or Yes and
// No with Yes as the default) and no icon.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual void message(QWidget *parent, const QString &text) = 0;
    // True for Yes. Only Yes or No answers it: Escape and the close box do not.
    virtual bool askYesNo(QWidget *parent, const QString &text) = 0;
    // The typed text, or "" for Cancel.
    virtual QString inputText(QWidget *parent, const QString &prompt) = 0;
};

} // namespace calmora
