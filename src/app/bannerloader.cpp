#include "bannerloader.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace app {
namespace {

// Beside the executable (a build), or in the program's own library folder (installed).
QString bannerFile(const QString& executableFolder, const QString& name) {
  const QString beside = QDir(executableFolder).filePath(name);
  if (QFileInfo::exists(beside)) return beside;
  return QDir::cleanPath(executableFolder + QStringLiteral("/" SIECIOWNIK_MODULES_FROM_PROGRAM "/") + name);
}

}  // namespace

BannerLoader::BannerLoader(QString moduleFile, platform::Shell& shell)
    : moduleFile_(std::move(moduleFile)), shell_(shell) {}

QObject* BannerLoader::navigate(QWidget* bannerStrip, const QUrl& page) {
  if (!tried_) {
    tried_ = true;
    QLibrary module(moduleFile_);
    module.setLoadHints(QLibrary::ExportExternalSymbolsHint);
    navigate_ = reinterpret_cast<NavigateBanner>(module.resolve(kNavigateBannerSymbol));
    if (navigate_ == nullptr) {
      qWarning("Sieciownik: no banner: %s", qPrintable(module.errorString()));
    } else {
      release_ = reinterpret_cast<ReleaseBanner>(module.resolve(kReleaseBannerSymbol));
      clearHistory_ = reinterpret_cast<ClearBanner>(module.resolve(kClearBannerHistorySymbol));
      clearCache_ = reinterpret_cast<ClearBanner>(module.resolve(kClearBannerCacheSymbol));
    }
  }
  return navigate_ != nullptr ? navigate_(bannerStrip, page, shell_) : nullptr;
}

void BannerLoader::release(QWidget* bannerStrip) {
  if (release_ != nullptr) release_(bannerStrip);
}

QString bannerModuleFile(const QString& executableFolder) {
  return bannerFile(executableFolder, QStringLiteral("sieciownik-banner.so"));
}

QString bannerHostProgram(const QString& executableFolder) {
  return bannerFile(executableFolder, QStringLiteral("sieciownik-banner-host"));
}

}  // namespace app
