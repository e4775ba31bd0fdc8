#include "app/qt/fonts.h"

#include <QFont>
#include <QStringList>

#include "app/form_layout.h"

namespace app::qt {

void InstallFontSubstitutions() {
  QFont::insertSubstitutions(
      QString::fromUtf16(kWindowFont.face),
      {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans Arabic"), QStringLiteral("Noto Sans")});
  QFont::insertSubstitutions(
      QString::fromUtf16(kEdit1Font.face),
      {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans")});
}

}  // namespace app::qt
