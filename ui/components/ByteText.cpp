#include "ByteText.h"

#include "ByteCountText.h"

#include <QLocale>

namespace zurbo {

QString ByteText::format(qint64 bytes) const
{
    const std::string separator = QLocale().decimalPoint().toStdString();
    return QString::fromStdString(byteCountText(bytes, separator));
}

} // namespace zurbo
