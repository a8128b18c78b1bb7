#include "platform/qt/fonts.h"

#include <QFont>
#include <QGuiApplication>
#include <QStringList>

namespace tobrak::qt {

void installFonts() {
    const QStringList gothic = {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic", "TakaoPGothic"};
    for (const char* n : {"ＭＳ Ｐゴシック", "MS PGothic", "ＭＳ ゴシック", "MS Gothic"})
        QFont::insertSubstitutions(QString::fromUtf8(n), gothic);
    QFont f(QString::fromUtf8("ＭＳ Ｐゴシック"));
    f.setPointSize(9);
    QGuiApplication::setFont(f);
}

}  // namespace tobrak::qt
