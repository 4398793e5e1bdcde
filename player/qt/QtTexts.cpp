#include "player/qt/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace vornal::qt {

std::unique_ptr<QTranslator> InstallJapaneseQtTexts() {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}

}  // namespace vornal::qt
