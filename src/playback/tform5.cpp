#include "tform5.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>

#include "platform/fonts.h"
#include "playback/mprisplayer.h"
#include "ui_tform5.h"

namespace playback {
namespace {

// The outer size the window was designed with: a 400 x 300 client area inside its frame.
constexpr QSize kDesignedOuterSize(408, 334);

}  // namespace

TForm5::TForm5() : QWidget(nullptr), ui(new Ui::TForm5) {
  ui->setupUi(this);
  setFont(platform::describedFont(platform::Face::MsSansSerif, 11));
  // A player window left open must not keep the program running once the main window is closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  connect(ui->WindowsMediaPlayer1, &MediaPlayer::StatusChange, this, &TForm5::WindowsMediaPlayer1StatusChange);
  FormResize();
  ui->WindowsMediaPlayer1->createPlayer();
  mpris_ = new MprisPlayer(*this, *ui->WindowsMediaPlayer1);
  // Joining the bus waits for it: done once START has returned, while the stream opens.
  QMetaObject::invokeMethod(mpris_, &MprisPlayer::publish, Qt::QueuedConnection);
}

TForm5::~TForm5() = default;

MediaPlayer* TForm5::player() const { return ui->WindowsMediaPlayer1; }

void TForm5::moveToScreenCentre() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QSize outer = isVisible() ? frameGeometry().size() : kDesignedOuterSize;
  QRect placed(QPoint(), outer);
  placed.moveCenter(screen->geometry().center());
  move(placed.topLeft());
}

void TForm5::closeEvent(QCloseEvent* event) {
  FormClose();
  QWidget::closeEvent(event);
}

void TForm5::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TForm5::FormClose() { setAttribute(Qt::WA_DeleteOnClose); }

// The player fills the client area; its picture is drawn again at the new size.
void TForm5::FormResize() {
  ui->WindowsMediaPlayer1->setGeometry(rect());
  ui->WindowsMediaPlayer1->fitVideo();
}

void TForm5::WindowsMediaPlayer1StatusChange() { FormResize(); }

TForm5* OpenPlayerWindow(const QString& streamUrl, const QString& stationName) {
  auto window = std::make_unique<TForm5>();
  window->player()->setStationName(stationName);
  window->player()->setURL(streamUrl);
  window->player()->play();
  window->moveToScreenCentre();
  window->show();
  return window.release();
}

}  // namespace playback

#include "moc_tform5.cpp"
