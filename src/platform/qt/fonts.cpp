#include "platform/qt/fonts.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace tobrak::qt {

void installFonts() {
    const QStringList gothic = {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic", "TakaoPGothic"};
    for (const char* n : {"ＭＳ Ｐゴシック", "MS PGothic", "ＭＳ ゴシック", "MS Gothic"})
        QFont::insertSubstitutions(QString::fromUtf8(n), gothic);
    QFont f(QString::fromUtf8("ＭＳ Ｐゴシック"));
    f.setPointSize(9);
    QApplication::setFont(f);
}

}  // namespace tobrak::qt
