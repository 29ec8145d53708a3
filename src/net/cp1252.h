#pragma once

#include <QByteArray>
#include <QString>

namespace calmora {

// Windows-1252, the 8-bit code page the program's peers write their messages
// in. Every byte decodes to a character (the five bytes the code page leaves
// undefined to the control characters of the same number, as Windows does),
// so any byte string survives a decode and encode unchanged.
QString decodeCp1252(const QByteArray &bytes);
// A character the code page lacks is written as "?".
QByteArray encodeCp1252(const QString &text);

} // namespace calmora
