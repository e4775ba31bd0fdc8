#include "app/qt/main_window.h"

#include <string>
#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QtDebug>

#include "app/banner_image.h"
#include "app/qt/caption_button.h"
#include "app/qt/embedded_resources.h"
#include "app/qt/fonts.h"

namespace app::qt {

namespace {

QString ToQString(const Text& text) { return QString::fromStdU16String(text); }
Text ToText(const QString& text) { return text.toStdU16String(); }
QRect ToQRect(const Box& box) { return QRect(box.left, box.top, box.width, box.height); }

QFont ToQFont(const FontSpec& wanted) {
  QFont font(QString::fromUtf16(wanted.face));
  font.setPixelSize(wanted.height);
  font.setBold(wanted.bold);
  return font;
}

// QLineEdit's own "no limit".
constexpr int kUnlimitedLength = 32767;

}  // namespace

QPoint CentredTopLeft(const QRect& desktop, const QSize& outer) {
  const Point corner = CentredTopLeft(Box{desktop.left(), desktop.top(), desktop.width(), desktop.height()},
                                      outer.width(), outer.height());
  return QPoint(corner.x, corner.y);
}

QImage BannerImage() {
  DecodedImage decoded;
  std::string error;
  if (!DecodeJpeg(embedded::kBannerJpeg, embedded::kBannerJpegSize, &decoded, &error)) {
    qWarning("banner picture: %s", error.c_str());
    return QImage();
  }
  // The pixels are 0xFFRRGGBB, the layout of Format_ARGB32; copy() detaches
  // the image from the vector that goes out of scope.
  return QImage(reinterpret_cast<const uchar*>(decoded.pixels.data()), decoded.width, decoded.height, decoded.width * 4,
                QImage::Format_ARGB32)
      .copy();
}

QIcon ProgramIcon() {
  QPixmap pixmap;
  pixmap.loadFromData(embedded::kIconPng, static_cast<uint>(embedded::kIconPngSize), "PNG");
  return QIcon(pixmap);
}

void ShowCriticalMessage(QWidget* parent, const QString& caption, const QString& message) {
  QMessageBox box(QMessageBox::Critical, caption, message, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.setLayoutDirection(Qt::LeftToRight);
  box.exec();
}

QtMainWindow::QtMainWindow(syscode::HardwareSources& sources, syscode::LogSink& log, syscode::FileSystem& files,
                           Text application_title, QWidget* parent)
    : QWidget(parent), recorder_(sources), form_(*this, recorder_, log, files, std::move(application_title)) {
  BuildControls();
  ConnectHandlers();
  form_.FormCreate();
}

void QtMainWindow::BuildControls() {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(ToQString(kWindowCaption));
  setWindowIcon(ProgramIcon());
  // Title bar with the system menu and the close button only; fixed size.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(ToQFont(kWindowFont));

  // Created in declaration order, like the Windows window.
  group_box1_ = new QGroupBox(ToQString(kGroupBoxCaption), this);
  group_box1_->setObjectName(QStringLiteral("GroupBox1"));
  group_box1_->setGeometry(ToQRect(kGroupBox1));
  // Right to left, the default alignment puts the caption at the right end.
  group_box1_->setLayoutDirection(Qt::RightToLeft);

  bit_btn1_ = new CaptionButton(ToQString(kGetCodeCaption), this);
  bit_btn1_->setObjectName(QStringLiteral("BitBtn1"));
  bit_btn1_->setGeometry(ToQRect(kBitBtn1));

  image1_ = new QLabel(this);
  image1_->setObjectName(QStringLiteral("Image1"));
  image1_->setGeometry(ToQRect(kImage1));
  const QImage banner = BannerImage();
  if (!banner.isNull()) {
    image1_->setPixmap(
        QPixmap::fromImage(banner.scaled(image1_->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
  }

  bit_btn2_ = new CaptionButton(ToQString(kSaveCaption), this);
  bit_btn2_->setObjectName(QStringLiteral("BitBtn2"));
  bit_btn2_->setGeometry(ToQRect(kBitBtn2));

  bit_btn3_ = new CaptionButton(ToQString(kExitCaption), this);
  bit_btn3_->setObjectName(QStringLiteral("BitBtn3"));
  bit_btn3_->setGeometry(ToQRect(kBitBtn3));

  for (QPushButton* button : {bit_btn1_, bit_btn2_, bit_btn3_}) {
    button->setLayoutDirection(Qt::RightToLeft);
    button->setAutoDefault(false);
    button->setDefault(false);
  }

  edit1_ = new QLineEdit(group_box1_);
  edit1_->setObjectName(QStringLiteral("Edit1"));
  edit1_->setGeometry(ToQRect(kEdit1));
  edit1_->setLayoutDirection(Qt::LeftToRight);
  edit1_->setAlignment(Qt::AlignCenter);
  edit1_->setReadOnly(true);
  edit1_->setFont(ToQFont(kEdit1Font));
  QPalette code_palette = edit1_->palette();
  code_palette.setColor(QPalette::Text, Qt::black);
  edit1_->setPalette(code_palette);

  setTabOrder(edit1_, bit_btn1_);
  setTabOrder(bit_btn1_, bit_btn2_);
  setTabOrder(bit_btn2_, bit_btn3_);
  edit1_->setFocus();
}

void QtMainWindow::ConnectHandlers() {
  connect(bit_btn1_, &QPushButton::clicked, this, [this] {
    recorder_.Reset();
    form_.Dispatch(&TMainForm::Button1Click);
    ShowPrivilegeNote();
  });
  connect(bit_btn2_, &QPushButton::clicked, this, [this] { form_.Dispatch(&TMainForm::BitBtn2Click); });
  connect(bit_btn3_, &QPushButton::clicked, this, [this] { form_.Dispatch(&TMainForm::BitBtn3Click); });
}

void QtMainWindow::ShowPrivilegeNote() {
  const bool limited = !syscode::PrivilegeLimitsOfPress(recorder_.Read(), access_()).empty();
  edit1_->setToolTip(limited ? ToQString(kPrivilegeNote) : QString());
}

void QtMainWindow::CentreOnDesktop() {
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The frame is only known once a window manager has decorated the window;
  // before that the outer size is the client size.
  move(CentredTopLeft(screen->virtualGeometry(), frameGeometry().size()));
}

void QtMainWindow::ShowCodeField(const Text& shown, int max_length) {
  edit1_->setMaxLength(max_length == 0 ? kUnlimitedLength : max_length);
  edit1_->setText(ToQString(shown));
}

void QtMainWindow::SetSaveButtonEnabled(bool enabled) { bit_btn2_->setEnabled(enabled); }

bool QtMainWindow::ExecuteSaveDialog(const Text& file_name, Text* chosen_path) {
  const std::optional<QString> chosen = save_dialog_(this, ToQString(file_name));
  if (!chosen) return false;
  // The Windows dialog, not told to keep the working directory, leaves it at
  // the chosen file's folder; a folder that does not exist leaves it as is.
  QDir::setCurrent(QFileInfo(*chosen).absolutePath());
  *chosen_path = ToText(*chosen);
  return true;
}

void QtMainWindow::ShowErrorMessage(const Text& caption, const Text& message) {
  message_box_(this, ToQString(caption), ToQString(message));
}

void QtMainWindow::CloseWindow() { close(); }

}  // namespace app::qt
