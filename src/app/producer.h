#pragma once

#include <QString>

namespace app {

// The producer's web server: its home page behind the "Tarnowek" link and the banner page
// shown in the strip at the top of the main window.
inline const QString kProducerHomePage = QStringLiteral("https://www.tarnowek.pl/");
inline const QString kBannerPage = QStringLiteral("https://www.tarnowek.pl/siecio/bannery/");

}  // namespace app
