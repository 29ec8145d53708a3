#pragma once

#include "platform/dialogs.h"

namespace calmora {

class QtDialogs final : public Dialogs
{
public:
    void message(QWidget *parent, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &text) override;
    QString inputText(QWidget *parent, const QString &prompt) override;
};

} // namespace calmora
