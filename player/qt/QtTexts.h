// Qt's own texts (standard buttons, file dialogs, their tool tips) in Japanese, as the rest
// of the windows are, whatever the user's locale: Debian's qt6-translations-l10n.
#pragma once

#include <QTranslator>
#include <memory>

namespace vornal::qt {

// Installs the translation in the running application; it stays in force while the
// returned object lives. Null when the translations are not installed (the texts stay
// English then).
std::unique_ptr<QTranslator> InstallJapaneseQtTexts();

}  // namespace vornal::qt
