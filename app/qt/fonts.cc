#include "app/qt/fonts.h"

#include <QFont>
#include <QStringList>

namespace app {

void InstallFontSubstitutions() {
  QFont::insertSubstitutions(QString::fromLatin1(kWindowFontFamily),
                             {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans Arabic"),
                              QStringLiteral("Noto Sans")});
  QFont::insertSubstitutions(QString::fromLatin1(kCodeFontFamily),
                             {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                              QStringLiteral("DejaVu Sans")});
}

}  // namespace app
