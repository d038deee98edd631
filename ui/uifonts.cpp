#include "uifonts.h"

#include <QFont>
#include <QStringList>

namespace linkwell {

void installFontSubstitutes()
{
    static const bool done = [] {
        const QStringList sans{QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")};
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
        QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
        return true;
    }();
    (void)done;
}

} // namespace linkwell
