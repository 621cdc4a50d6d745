#include "settings/setup_dialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

#include "platform/numbers.h"
#include "platform/twips.h"

namespace kalo {

namespace {

constexpr int kFormWidth = 5805;
constexpr int kFormHeight = 5025;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// "(" value ")", the caption of a slider's value label.
QString Bracketed(int value) { return QStringLiteral("(%1)").arg(value); }

// The number text a stored brightness shows in its frame before the slider
// is touched: a leading blank when not negative, up to fifteen significant
// digits, no zero before the point, an exponent for very large or small
// values. A stored text has at most seven characters, so this is exact.
std::string StoredNumberText(double v) {
  if (v == 0) v = 0;  // no "-0"
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  std::string s(buf, res.ptr);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (s.rfind("0.", 0) == 0) {
    s.erase(0, 1);
  } else if (s.rfind("-0.", 0) == 0) {
    s.erase(1, 1);
  }
  return v >= 0 ? " " + s : s;
}

QCheckBox* MakeCheck(const char* name, const QString& caption, QWidget* parent, QRect at) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(QLatin1String(name));
  at.setWidth(std::max(at.width(), c->sizeHint().width()));
  c->setGeometry(at);
  return c;
}

QGroupBox* MakeFrame(const char* name, const QString& title, QWidget* parent, QRect at) {
  auto* frame = new QGroupBox(title, parent);
  frame->setObjectName(QLatin1String(name));
  frame->setGeometry(at);
  return frame;
}

QRadioButton* MakeOption(const char* name, const QString& caption, QWidget* frame, QRect at) {
  auto* o = new QRadioButton(caption, frame);
  o->setObjectName(QLatin1String(name));
  // Never narrower than its caption, which the platform's font may widen.
  at.setWidth(std::max(at.width(), o->sizeHint().width()));
  o->setGeometry(at);
  return o;
}

// The labels under a slider share its width; each aligns its text to its own
// end of the slider, the value label to the middle.
QLabel* MakeLabel(const QString& caption, QWidget* frame, Qt::Alignment align) {
  auto* l = new QLabel(caption, frame);
  l->setGeometry(TwipsRect(195, 465, 1305, 195));
  l->setAlignment(align | Qt::AlignVCenter);
  return l;
}

// A slider frame: the scroll bar at its fixed place and the row of labels
// under it (left label, centred value label, right label).
struct SliderFrame {
  QGroupBox* frame;
  QScrollBar* bar;
  QLabel* left;
  QLabel* value;
  QLabel* right;
};

SliderFrame MakeSliderFrame(QWidget* form, const char* frameName, const QString& title, QRect at,
                            const char* barName, int min, int max, int large, int initial,
                            const QString& leftText, const QString& rightText) {
  SliderFrame f;
  f.frame = MakeFrame(frameName, title, form, at);
  f.bar = new QScrollBar(Qt::Horizontal, f.frame);
  f.bar->setObjectName(QLatin1String(barName));
  f.bar->setGeometry(TwipsRect(195, 225, 1305, 225));
  f.bar->setRange(min, max);
  f.bar->setSingleStep(1);
  f.bar->setPageStep(large);
  f.bar->setValue(initial);
  // The value label follows a click or a release of the thumb, not a drag.
  f.bar->setTracking(false);
  f.bar->setFocusPolicy(Qt::StrongFocus);
  f.left = MakeLabel(leftText, f.frame, Qt::AlignLeft);
  f.value = MakeLabel(QString(), f.frame, Qt::AlignHCenter);
  f.right = MakeLabel(rightText, f.frame, Qt::AlignRight);
  return f;
}

// One piece of the line that ties the Brightness frame to "Solid Only".
// Positions in pixels.
void MakeConnector(QWidget* parent, int x1, int x2, int y) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  line->setLineWidth(2);
  line->setGeometry(x1, y - 1, std::max(x2 - x1, 0), 3);
}

}  // namespace

Setup::Setup(RunState& run, std::string profilePath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      run_(run),
      profilePath_(std::move(profilePath)) {
  setObjectName(QStringLiteral("Setup"));
  setWindowTitle(QStringLiteral("KaloSaver Settings"));
  setFixedSize(Px(kFormWidth), Px(kFormHeight));
  // The form is laid out for an eight-point dialog font; larger desktop
  // fonts would spill out of the fixed positions.
  QFont dialogFont = font();
  dialogFont.setPointSizeF(8);
  setFont(dialogFont);
  BuildControls();
  Form_Load();
}

void Setup::BuildControls() {
  // Design types.
  auto* frame1 =
      MakeFrame("Frame1", QStringLiteral("Design Types"), this, TwipsRect(165, 150, 1440, 2385));
  static const char* const kCheckNames[kDesignTypeCount] = {"Check1", "Check2", "Check3",
                                                            "Check4", "Check5", "Check6"};
  static const int kCheckTops[kDesignTypeCount] = {480, 795, 1110, 1395, 1725, 2055};
  for (int i = 0; i < kDesignTypeCount; ++i) {
    // Placed on the form, inside the frame.
    Check_[i] = MakeCheck(kCheckNames[i], QLatin1String(kSettingNames[i]), frame1,
                          TwipsRect(315 - 165, kCheckTops[i] - 150, 1200, 255));
  }

  // Roundness.
  auto* frame9 =
      MakeFrame("Frame9", QStringLiteral("Roundness"), this, TwipsRect(165, 2715, 1440, 1035));
  Option_[11] =
      MakeOption("Option11", QStringLiteral("Circular"), frame9, TwipsRect(135, 240, 1215, 255));
  Option_[10] =
      MakeOption("Option10", QStringLiteral("Fit Screen"), frame9, TwipsRect(135, 480, 1215, 255));
  Option_[9] =
      MakeOption("Option9", QStringLiteral("Random"), frame9, TwipsRect(135, 720, 1215, 255));

  // Draw style.
  auto* frame6 =
      MakeFrame("Frame6", QStringLiteral("Draw Style"), this, TwipsRect(1980, 150, 1575, 1065));
  Option_[1] = MakeOption("Option1", QStringLiteral("Lines && Dots"), frame6,
                          TwipsRect(120, 225, 1395, 255));
  Option_[2] =
      MakeOption("Option2", QStringLiteral("Lines Only"), frame6, TwipsRect(120, 465, 1395, 255));
  Option_[3] =
      MakeOption("Option3", QStringLiteral("Dots Only"), frame6, TwipsRect(120, 705, 1395, 255));

  // Draw mode; "Solid Only" ends where the connector to Brightness begins.
  auto* frame7 =
      MakeFrame("Frame7", QStringLiteral("Draw Mode"), this, TwipsRect(1980, 1395, 1575, 1095));
  Option_[4] =
      MakeOption("Option4", QStringLiteral("Solid && Mix"), frame7, TwipsRect(135, 225, 1380, 255));
  Option_[5] =
      MakeOption("Option5", QStringLiteral("Solid Only"), frame7, TwipsRect(135, 480, 1020, 255));
  Option_[6] =
      MakeOption("Option6", QStringLiteral("Mix Only"), frame7, TwipsRect(135, 735, 1380, 255));
  // The connector starts where "Solid Only" ends, even when the platform's
  // font makes the button's caption longer than its designed width.
  const int solidEnd = Option_[5]->x() + Option_[5]->sizeHint().width() + 2;
  MakeConnector(frame7, std::max(Px(1155), solidEnd), Px(1545), Px(600));

  // Background colour.
  auto* frame8 = MakeFrame("Frame8", QStringLiteral("Background Color"), this,
                           TwipsRect(1980, 2715, 1575, 750));
  Option_[7] =
      MakeOption("Option7", QStringLiteral("Black"), frame8, TwipsRect(135, 210, 1380, 255));
  Option_[8] =
      MakeOption("Option8", QStringLiteral("Random"), frame8, TwipsRect(135, 450, 1380, 255));

  // The four sliders, with the values they hold before the profile is read.
  const SliderFrame width = MakeSliderFrame(this, "Frame4", QStringLiteral("Max. Pen Width"),
                                            TwipsRect(3945, 135, 1665, 735), "HScroll3", 3, 128, 5,
                                            80, QStringLiteral("Thin"), QStringLiteral("Thick"));
  HScroll3_ = width.bar;
  Label12_ = width.value;
  Label12_->setObjectName(QStringLiteral("Label12"));

  const SliderFrame layers = MakeSliderFrame(this, "Frame5", QStringLiteral("Max. Design Layers"),
                                             TwipsRect(3945, 1005, 1665, 735), "HScroll4", 1, 24, 5,
                                             24, QStringLiteral("1"), QStringLiteral("24"));
  HScroll4_ = layers.bar;
  Label9_ = layers.value;
  Label9_->setObjectName(QStringLiteral("Label9"));

  const SliderFrame bright = MakeSliderFrame(this, "Frame3", QStringLiteral("Brightness"),
                                             TwipsRect(3945, 1890, 1665, 735), "HScroll2", 100, 255,
                                             5, 255, QStringLiteral("Low"), QStringLiteral("High"));
  Frame3_ = bright.frame;
  HScroll2_ = bright.bar;
  Label4_ = bright.left;
  Label4_->setObjectName(QStringLiteral("Label4"));
  Label3_ = bright.right;
  Label3_->setObjectName(QStringLiteral("Label3"));
  bright.value->hide();  // the frame caption carries this slider's value

  const SliderFrame speed = MakeSliderFrame(this, "Frame2", QStringLiteral("Draw Speed"),
                                            TwipsRect(3945, 2730, 1665, 735), "HScroll1", 1, 1000,
                                            10, 25, QStringLiteral("Slow"), QStringLiteral("Fast"));
  HScroll1_ = speed.bar;
  Label11_ = speed.value;
  Label11_->setObjectName(QStringLiteral("Label11"));

  MakeConnector(this, Px(3540), Px(3960), Px(1995));

  cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
  cmdOK_->setObjectName(QStringLiteral("cmdOK"));
  cmdOK_->setGeometry(TwipsRect(1965, 3915, 1020, 330));
  cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
  cmdCancel_->setGeometry(TwipsRect(3270, 3915, 1020, 330));
  cmdAbout_ = new QPushButton(QStringLiteral("About"), this);
  cmdAbout_->setObjectName(QStringLiteral("cmdAbout"));
  cmdAbout_->setGeometry(TwipsRect(4590, 3915, 1020, 330));

  // The form's design-time selection, which equals the defaults; the
  // Brightness group starts enabled.
  Option_[1]->setChecked(true);
  Option_[4]->setChecked(true);
  Option_[7]->setChecked(true);
  Option_[9]->setChecked(true);

  connect(HScroll1_, &QScrollBar::valueChanged, this, &Setup::HScroll1_Change);
  connect(HScroll2_, &QScrollBar::valueChanged, this, &Setup::HScroll2_Change);
  connect(HScroll3_, &QScrollBar::valueChanged, this, &Setup::HScroll3_Change);
  connect(HScroll4_, &QScrollBar::valueChanged, this, &Setup::HScroll4_Change);
  // Only Solid Only draws with the brightness bound, so only it enables it.
  connect(Option_[4], &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetBrightnessEnabled(false);
  });
  connect(Option_[5], &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetBrightnessEnabled(true);
  });
  connect(Option_[6], &QRadioButton::toggled, this, [this](bool on) {
    if (on) SetBrightnessEnabled(false);
  });
  connect(cmdOK_, &QPushButton::clicked, this, &Setup::cmdOK_Click);
  connect(cmdCancel_, &QPushButton::clicked, this, &Setup::cmdCancel_Click);
  connect(cmdAbout_, &QPushButton::clicked, this, &Setup::cmdAbout_Click);

  QList<QWidget*> order = {cmdOK_, cmdCancel_, cmdAbout_};
  for (QCheckBox* c : Check_) order.append(c);
  for (int i : {11, 10, 9, 1, 2, 3, 4, 5, 6, 7, 8}) order.append(Option_[i]);
  for (QScrollBar* b : {HScroll3_, HScroll4_, HScroll2_, HScroll1_}) order.append(b);
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  cmdOK_->setFocus();
}

void Setup::Form_Load() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect s = screen->geometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
  }

  const SettingsTexts t = ReadSettings(profilePath_);

  for (int i = 0; i < kDesignTypeCount; ++i) {
    Check_[i]->setChecked(ReadsTrue(t[static_cast<SettingKey>(kKaloSpiral + i)]));
  }

  // A delay the slider cannot hold lands at the nearer end of the slider:
  // the scroll bar keeps every value inside its range.
  HScroll1_->setValue(CInt(HScroll1_->maximum() - Number(t[kDrawDelay])));
  Label11_->setText(Bracketed(HScroll1_->value()));

  const double b = Number(t[kBrightness]);
  if (b < HScroll2_->minimum() || b > HScroll2_->maximum()) {
    HScroll2_->setValue(HScroll2_->maximum());
  } else {
    HScroll2_->setValue(CInt(b));
  }
  Frame3_->setTitle(QStringLiteral(" Brightness =") + Q(StoredNumberText(b)));

  // Like the delay, a pen width outside 3 to 128 lands at the nearer end.
  HScroll3_->setValue(CInt(Number(t[kMaxDrawWidth])));
  Label12_->setText(Bracketed(HScroll3_->value()));

  const double l = Number(t[kMaxLayers]);
  if (l < 1 || l > 24) {
    HScroll4_->setValue(HScroll4_->maximum());
  } else {
    HScroll4_->setValue(CInt(l));
  }
  Label9_->setText(Bracketed(HScroll4_->value()));

  const std::string style = Code(t[kLinesDots]);
  if (style == "LD") Option_[1]->setChecked(true);
  if (style == "LI") Option_[2]->setChecked(true);
  if (style == "DO") Option_[3]->setChecked(true);

  const std::string mode = Code(t[kSolidMix]);
  if (mode == "SM") {
    Option_[4]->setChecked(true);
    SetBrightnessEnabled(false);
  }
  if (mode == "SO") {
    Option_[5]->setChecked(true);
    SetBrightnessEnabled(true);
  }
  if (mode == "MI") {
    Option_[6]->setChecked(true);
    SetBrightnessEnabled(false);
  }

  const std::string background = Code(t[kBgColor]);
  if (background == "BL") Option_[7]->setChecked(true);
  if (background == "RA") Option_[8]->setChecked(true);

  const std::string roundness = Code(t[kRoundness]);
  if (roundness == "BO") Option_[9]->setChecked(true);
  if (roundness == "DI") Option_[10]->setChecked(true);
  if (roundness == "CI") Option_[11]->setChecked(true);

  run_.ShowAboutFlag = ToBoolean(ReadsTrue(t[kShowAbout]));
  update();
}

void Setup::HScroll1_Change() { Label11_->setText(Bracketed(HScroll1_->value())); }

void Setup::HScroll2_Change() {
  Frame3_->setTitle(QStringLiteral(" Brightness =") + Q(StrInt(HScroll2_->value())));
}

void Setup::HScroll3_Change() { Label12_->setText(Bracketed(HScroll3_->value())); }

void Setup::HScroll4_Change() { Label9_->setText(Bracketed(HScroll4_->value())); }

void Setup::SetBrightnessEnabled(bool enabled) {
  Frame3_->setEnabled(enabled);
  HScroll2_->setEnabled(enabled);
  Label3_->setEnabled(enabled);
  Label4_->setEnabled(enabled);
}

SettingsTexts Setup::TextsFromControls() const {
  SettingsTexts t;
  bool anyType = false;
  for (int i = 0; i < kDesignTypeCount; ++i) {
    const bool on = Check_[i]->isChecked();
    anyType = anyType || on;
    t[static_cast<SettingKey>(kKaloSpiral + i)] = on ? "TRUE" : "FALSE";
  }
  t[kShowAbout] = IsTrue(run_.ShowAboutFlag) ? "TRUE" : "FALSE";

  const Integer delay = static_cast<Integer>(HScroll1_->maximum() - HScroll1_->value());
  t[kDrawDelay] = SettingsNumberText(delay);
  t[kBrightness] = SettingsNumberText(HScroll2_->value());
  t[kMaxDrawWidth] = SettingsNumberText(HScroll3_->value());
  t[kMaxLayers] = SettingsNumberText(HScroll4_->value());

  auto selected = [this](std::initializer_list<std::pair<int, const char*>> options) {
    std::string text;
    for (const auto& [n, value] : options) {
      if (Option_[n]->isChecked()) text = value;
    }
    return text;
  };
  t[kLinesDots] = selected({{1, "LD"}, {2, "Lines"}, {3, "Dots"}});
  t[kSolidMix] = selected({{4, "SM"}, {5, "Solid"}, {6, "Mix"}});
  t[kBgColor] = selected({{7, "Black"}, {8, "Random"}});
  t[kRoundness] = selected({{9, "Both"}, {10, "Display"}, {11, "Circular"}});

  // A profile written here always leaves at least one design type to draw.
  if (!anyType) t[kKaloSpiral] = "TRUE";
  return t;
}

void Setup::cmdOK_Click() {
  const WriteResult result = WriteSettings(TextsFromControls(), profilePath_);
  if (!result.ok) {
    // Closing as if all went well would leave the user believing the new
    // settings were kept.
    const QString why =
        result.error.empty() ? QStringLiteral("The settings could not be saved.") : Q(result.error);
    QMessageBox::warning(this, QString(), why);
  }
  accept();
}

void Setup::cmdCancel_Click() { reject(); }

void Setup::cmdAbout_Click() {
  FrmAbout* shown = nullptr;
  // The settings dialog runs only in configure mode, where the about dialog's
  // input ends nothing; should it ever end the program, that ends it as
  // Cancel does, writing nothing.
  FrmAbout about(
      run_, aboutMouse_,
      [this, &shown] {
        if (shown) shown->reject();
        reject();
      },
      this);
  shown = &about;
  about.exec();
  shown = nullptr;
  cmdOK_->setFocus();
}

void Setup::keyPressEvent(QKeyEvent* event) {
  // No button is the default or the cancel button: Enter and Esc act only on
  // the control that holds the focus, never on the dialog as a whole.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace kalo
