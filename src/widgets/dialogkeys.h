#pragma once

class QDialog;

namespace calmora {

// The program's dialogs have neither a default nor a cancel button, so Enter
// and Escape, which would press one, do nothing in them. This installs the
// one filter that makes it so, whichever control of dialog has the focus.
void ignoreEnterAndEscape(QDialog *dialog);

} // namespace calmora
