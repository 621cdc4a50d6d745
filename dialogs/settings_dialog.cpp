#include "dialogs/settings_dialog.h"

#include <QButtonGroup>
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
#include <charconv>
#include <string_view>
#include <utility>

#include "core/ascii.h"
#include "core/numbers.h"
#include "core/setting_rules.h"
#include "screen/form_layout.h"
#include "screen/window_title.h"

namespace kalo {

struct ChoiceSetting {
  struct Option {
    const char* name;
    const char* caption;
    const char* written;  // the text OK writes; its code is the button's id
    QRect twips;
  };
  SettingKey key;
  const char* frame_name;
  const char* title;
  QRect twips;
  std::vector<Option> options;  // top to bottom
};

struct SliderSetting {
  SettingKey key;
  const char* frame_name;
  const char* title;
  QRect twips;
  const char* bar_name;
  int min, max, large;
  const char* low_text;
  const char* high_text;
  const char* low_name;
  const char* high_name;
  const char* value_name;  // none: the frame's caption carries the value
  bool inverted;           // the slider holds max - the stored value
  bool outside_shows_max;  // else a value the slider cannot hold lands at the nearer end
};

namespace {

constexpr int kFormWidth = 5805;
constexpr int kFormHeight = 5025;

// The option frames and the slider frames, in the order Tab visits them.
// clang-format off
const ChoiceSetting kChoices[] = {
    {kRoundness, "Frame9", "Roundness", {165, 2715, 1440, 1035}, {
        {"Option11", "Circular",   "Circular", {135, 240, 1215, 255}},
        {"Option10", "Fit Screen", "Display",  {135, 480, 1215, 255}},
        {"Option9",  "Random",     "Both",     {135, 720, 1215, 255}}}},
    {kLinesDots, "Frame6", "Draw Style", {1980, 150, 1575, 1065}, {
        {"Option1", "Lines && Dots", "LD",    {120, 225, 1395, 255}},
        {"Option2", "Lines Only",    "Lines", {120, 465, 1395, 255}},
        {"Option3", "Dots Only",     "Dots",  {120, 705, 1395, 255}}}},
    // "Solid Only" ends where the connector to Brightness begins.
    {kSolidMix, "Frame7", "Draw Mode", {1980, 1395, 1575, 1095}, {
        {"Option4", "Solid && Mix", "SM",    {135, 225, 1380, 255}},
        {"Option5", "Solid Only",   "Solid", {135, 480, 1020, 255}},
        {"Option6", "Mix Only",     "Mix",   {135, 735, 1380, 255}}}},
    {kBgColor, "Frame8", "Background Color", {1980, 2715, 1575, 750}, {
        {"Option7", "Black",  "Black",  {135, 210, 1380, 255}},
        {"Option8", "Random", "Random", {135, 450, 1380, 255}}}},
};

const SliderSetting kSliders[] = {
    {kMaxDrawWidth, "Frame4", "Max. Pen Width", {3945, 135, 1665, 735},
     "HScroll3", 3, 128, 5, "Thin", "Thick", "", "", "Label12", false, false},
    {kMaxLayers, "Frame5", "Max. Design Layers", {3945, 1005, 1665, 735},
     "HScroll4", 1, 24, 5, "1", "24", "", "", "Label9", false, true},
    {kBrightness, "Frame3", "Brightness", {3945, 1890, 1665, 735},
     "HScroll2", 100, 255, 5, "Low", "High", "Label4", "Label3", nullptr, false, true},
    {kDrawDelay, "Frame2", "Draw Speed", {3945, 2730, 1665, 735},
     "HScroll1", 1, 1000, 10, "Slow", "Fast", "", "", "Label11", true, false},
};
// clang-format on

QString Q(const std::string& s) { return QString::fromStdString(s); }

// "(" value ")", the caption of a slider's value label.
QString Bracketed(int value) { return QStringLiteral("(%1)").arg(value); }

// " Brightness = 255": the caption of a frame that carries its slider's value.
QString ValueTitle(const SliderSetting& s, const std::string& number) {
  return u' ' + QLatin1String(s.title) + QStringLiteral(" =") + Q(number);
}

// The number text a stored brightness shows in its frame before the slider
// is touched: a leading blank when not negative, up to fifteen significant
// digits, no zero before the point, an exponent for very large or small
// values. A stored text has at most seven characters, so this is exact.
std::string StoredNumberText(double v) {
  if (v == 0) v = 0;  // no "-0"
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  std::string s = AsciiUpper(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
  if (s.rfind("0.", 0) == 0) {
    s.erase(0, 1);
  } else if (s.rfind("-0.", 0) == 0) {
    s.erase(1, 1);
  }
  return v >= 0 ? " " + s : s;
}

// A control's caption is its own; the form places and sizes it later. A
// control without a name keeps none.
template <typename Control>
Control* Named(Control* c, const QString& name) {
  if (!name.isEmpty()) c->setObjectName(name);
  return c;
}

// A choice's id in its group is its two-letter code, so a stored text finds
// its button and a text written back reads as the same choice.
int ChoiceId(std::string_view text) {
  int id = 0;
  for (const char c : Code(text)) id = id * 256 + static_cast<unsigned char>(c);
  return id;
}

// Only Solid Only draws with the brightness bound, so only it enables it.
const int kSolidOnly = ChoiceId("SO");

// One piece of the line that ties the Brightness frame to "Solid Only".
QFrame* MakeConnector(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Plain);
  line->setLineWidth(2);
  return line;
}

// How wide a frame must be to show `title` whole.
int TitleRoom(QGroupBox* frame, const QString& title) {
  const QString shown = frame->title();
  frame->setTitle(title);
  const int width = frame->minimumSizeHint().width();
  frame->setTitle(shown);
  return width;
}

// How wide a label must be to show the widest of `captions`.
int WidestCaption(QLabel* label, const QStringList& captions) {
  const QString shown = label->text();
  int width = 0;
  for (const QString& caption : captions) {
    label->setText(caption);
    width = std::max(width, label->sizeHint().width());
  }
  label->setText(shown);
  return width;
}

}  // namespace

SettingsDialog::SettingsDialog(RunState& run, std::string profile_path, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      run_(run),
      profile_path_(std::move(profile_path)) {
  setObjectName(QStringLiteral("Setup"));
  setWindowTitle(QStringLiteral("KaloSaver Settings"));
  BuildControls();
  LoadProfile();
}

SettingsDialog::~SettingsDialog() = default;

QGroupBox* SettingsDialog::AddFrame(const char* name, const QString& title, QRect twips) {
  return Add(new QGroupBox(title, this), name, twips);
}

template <typename Control>
Control* SettingsDialog::Add(Control* control, const QString& name, QRect twips) {
  drawn_.push_back({Named(control, name), twips});
  return control;
}

QButtonGroup* SettingsDialog::AddChoice(const ChoiceSetting& setting) {
  QGroupBox* frame = AddFrame(setting.frame_name, setting.title, setting.twips);
  auto* group = new QButtonGroup(this);
  for (const ChoiceSetting::Option& o : setting.options) {
    group->addButton(Add(new QRadioButton(o.caption, frame), o.name, o.twips), ChoiceId(o.written));
  }
  // The form's design-time selection, which equals the default.
  group->button(ChoiceId(kSettingDefaults[setting.key]))->setChecked(true);
  choices_.push_back({&setting, group});
  return group;
}

QGroupBox* SettingsDialog::AddSlider(const SliderSetting& setting) {
  Slider row{&setting, AddFrame(setting.frame_name, setting.title, setting.twips)};
  row.bar = Named(new QScrollBar(Qt::Horizontal, row.frame), setting.bar_name);
  row.bar->setRange(setting.min, setting.max);
  row.bar->setSingleStep(1);
  row.bar->setPageStep(setting.large);
  // The value follows a click or a release of the thumb, not a drag.
  row.bar->setTracking(false);
  row.bar->setFocusPolicy(Qt::StrongFocus);
  row.low = Named(new QLabel(setting.low_text, row.frame), setting.low_name);
  row.low->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  row.high = Named(new QLabel(setting.high_text, row.frame), setting.high_name);
  row.high->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (setting.value_name) {
    row.value = Named(new QLabel(row.frame), setting.value_name);
    row.value->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    row.widest_value = WidestCaption(row.value, {Bracketed(setting.min), Bracketed(setting.max)});
  }
  connect(row.bar, &QScrollBar::valueChanged, this, [row](int value) {
    if (row.value)
      row.value->setText(Bracketed(value));
    else
      row.frame->setTitle(ValueTitle(*row.setting, StrInt(value)));
  });
  sliders_.push_back(row);
  return row.frame;
}

void SettingsDialog::BuildControls() {
  // Design types; the check boxes are drawn on the form, inside the frame.
  QGroupBox* types = AddFrame("Frame1", QStringLiteral("Design Types"), {165, 150, 1440, 2385});
  static const int kCheckTops[kDesignTypeCount] = {480, 795, 1110, 1395, 1725, 2055};
  for (int i = 0; i < kDesignTypeCount; ++i) {
    design_type_checks_[i] =
        Add(new QCheckBox(QLatin1String(kSettingNames[i]), types),
            QStringLiteral("Check%1").arg(i + 1), {315 - 165, kCheckTops[i] - 150, 1200, 255});
  }
  for (const ChoiceSetting& c : kChoices) {
    QButtonGroup* group = AddChoice(c);
    if (c.key == kSolidMix) draw_mode_group_ = group;
  }
  for (const SliderSetting& s : kSliders) {
    QGroupBox* frame = AddSlider(s);
    if (s.key == kBrightness) brightness_frame_ = frame;
  }
  connector_in_frame_ = MakeConnector(draw_mode_group_->button(kSolidOnly)->parentWidget());
  connector_on_form_ = MakeConnector(this);

  ok_ = Add(new QPushButton(QStringLiteral("OK"), this), "cmdOK", {1965, 3915, 1020, 330});
  cancel_ =
      Add(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", {3270, 3915, 1020, 330});
  about_ = Add(new QPushButton(QStringLiteral("About"), this), "cmdAbout", {4590, 3915, 1020, 330});

  // The Brightness frame is drawn enabled beside Solid && Mix; from here on
  // the chosen mode decides.
  connect(draw_mode_group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (on) brightness_frame_->setEnabled(id == kSolidOnly);
  });
  connect(ok_, &QPushButton::clicked, this, &SettingsDialog::SaveAndClose);
  connect(cancel_, &QPushButton::clicked, this, &SettingsDialog::reject);
  connect(about_, &QPushButton::clicked, this, &SettingsDialog::OpenAbout);

  QList<QWidget*> order = {ok_, cancel_, about_};
  for (QCheckBox* c : design_type_checks_) order.append(c);
  for (const Choice& c : choices_) {
    for (QAbstractButton* b : c.buttons->buttons()) order.append(b);
  }
  for (const Slider& s : sliders_) order.append(s.bar);
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  ok_->setFocus();
}

void SettingsDialog::PlaceSlider(const Slider& s, const FormUnits& units,
                        std::vector<Placement>& inside) const {
  // The bar and the row of labels under it share one width: wide enough for
  // the end labels and, centred between them, the widest value.
  QRect bar = units.Rect(195, 225, 1305, 225);
  QRect row = units.Rect(195, 465, 1305, 195);
  const int low = Needed(s.low).width();
  const int high = Needed(s.high).width();
  const int gap = 2 * s.low->fontMetrics().horizontalAdvance(QLatin1Char(' '));
  const int needed =
      s.value ? 2 * std::max(low, high) + s.widest_value + 2 * gap : low + high + gap;
  row.setWidth(std::max(row.width(), needed));
  bar.setWidth(row.width());
  inside.push_back({s.bar, bar, Needed(s.bar)});
  inside.push_back({s.low, QRect(row.left(), row.top(), low, row.height()), Needed(s.low)});
  inside.push_back(
      {s.high, QRect(row.right() + 1 - high, row.top(), high, row.height()), Needed(s.high)});
  if (s.value) {
    const QRect value(row.left() + (row.width() - s.widest_value) / 2, row.top(), s.widest_value,
                      row.height());
    inside.push_back({s.value, value, QSize(s.widest_value, Needed(s.value).height())});
  }
}

void SettingsDialog::LayOut() {
  const FormUnits units(font());
  auto placed = [&](QWidget* w, const QRect& t) {
    return Placement{w, units.Rect(t.x(), t.y(), t.width(), t.height()), Needed(w)};
  };
  std::vector<Placement> onForm;
  for (const auto& [w, twips] : drawn_) {
    auto* frame = qobject_cast<QGroupBox*>(w);
    if (w->parentWidget() != this) continue;
    if (!frame) {
      onForm.push_back(placed(w, twips));
      continue;
    }
    std::vector<Placement> inside;
    for (const auto& [c, t] : drawn_) {
      if (c->parentWidget() == frame) inside.push_back(placed(c, t));
    }
    for (const Slider& s : sliders_) {
      if (s.frame == frame) PlaceSlider(s, units, inside);
    }
    Placement p = FrameWithContents(frame, placed(frame, twips).design, inside, units);
    // The brightness caption changes with the slider.
    if (frame == brightness_frame_)
      p.need.setWidth(
          std::max(p.need.width(), TitleRoom(frame, QStringLiteral(" Brightness = 255"))));
    onForm.push_back(p);
  }
  const QSize grown = Reflow(onForm);
  setFixedSize(units.X(kFormWidth) + grown.width(), units.Y(kFormHeight) + grown.height());

  // The connector runs from the end of "Solid Only" to its frame's edge, and
  // on from there to the Brightness frame, level with the button's middle.
  const QWidget* solid = draw_mode_group_->button(kSolidOnly);
  const QWidget* mode = solid->parentWidget();
  const int y = solid->geometry().center().y();
  const int end = mode->contentsRect().right();
  const int right = solid->geometry().right();
  connector_in_frame_->setGeometry(right + 1, y - 1, std::max(0, end - right), 3);
  const int from = mode->geometry().right() + 1;
  connector_on_form_->setGeometry(from, mode->y() + y - 1,
                                  std::max(0, brightness_frame_->x() - from), 3);
}

void SettingsDialog::LoadProfile() {
  const SettingsTexts t = ReadSettings(profile_path_);

  for (int i = 0; i < kDesignTypeCount; ++i) {
    design_type_checks_[i]->setChecked(ReadsTrue(t[static_cast<SettingKey>(kKaloSpiral + i)]));
  }

  for (const Slider& s : sliders_) {
    const double stored = Number(t[s.setting->key]);
    const double v = s.setting->inverted ? s.bar->maximum() - stored : stored;
    if (s.setting->outside_shows_max && (v < s.bar->minimum() || v > s.bar->maximum())) {
      s.bar->setValue(s.bar->maximum());
    } else {
      // The scroll bar keeps every value inside its range.
      s.bar->setValue(CInt(v));
    }
    // The frame's caption keeps the number as stored until the slider moves.
    if (s.value)
      s.value->setText(Bracketed(s.bar->value()));
    else
      s.frame->setTitle(ValueTitle(*s.setting, StoredNumberText(stored)));
  }

  // A code no button has keeps the selection; an unknown mode leaves the
  // Brightness frame enabled.
  for (const Choice& c : choices_) {
    if (QAbstractButton* b = c.buttons->button(ChoiceId(t[c.setting->key]))) {
      b->setChecked(true);
      if (c.buttons == draw_mode_group_)
        brightness_frame_->setEnabled(c.buttons->id(b) == kSolidOnly);
    }
  }

  run_.ShowAboutFlag = ReadsTrue(t[kShowAbout]);

  // The form takes its size from the captions it now shows, so it is laid
  // out and centred last; nothing is on the screen before that.
  LayOut();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect s = screen->geometry();
    move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
  }
  update();
}

SettingsTexts SettingsDialog::TextsFromControls() const {
  SettingsTexts t;
  bool anyType = false;
  for (int i = 0; i < kDesignTypeCount; ++i) {
    const bool on = design_type_checks_[i]->isChecked();
    anyType = anyType || on;
    t[static_cast<SettingKey>(kKaloSpiral + i)] = on ? "TRUE" : "FALSE";
  }
  t[kShowAbout] = run_.ShowAboutFlag ? "TRUE" : "FALSE";

  for (const Slider& s : sliders_) {
    const int v = s.bar->value();
    t[s.setting->key] = SettingsNumberText(s.setting->inverted ? s.bar->maximum() - v : v);
  }
  for (const Choice& c : choices_) {
    for (const ChoiceSetting::Option& o : c.setting->options) {
      if (ChoiceId(o.written) == c.buttons->checkedId()) t[c.setting->key] = o.written;
    }
  }

  // A profile written here always leaves at least one design type to draw.
  if (!anyType) t[kKaloSpiral] = "TRUE";
  return t;
}

void SettingsDialog::SaveAndClose() {
  const WriteResult result = WriteSettings(TextsFromControls(), profile_path_);
  if (!result.ok) {
    save_failed_ = true;
    // Closing as if all went well would leave the user believing the new
    // settings were kept.
    const QString why =
        result.error.empty() ? QStringLiteral("The settings could not be saved.") : Q(result.error);
    QMessageBox::warning(this, ShownTitle(QString()), why);
  }
  accept();
}

void SettingsDialog::OpenAbout() {
  AboutDialog* shown = nullptr;
  // The settings dialog runs only in configure mode, where the about dialog's
  // input ends nothing; should it ever end the program, that ends it as
  // Cancel does, writing nothing.
  AboutDialog about(
      run_, about_mouse_,
      [this, &shown] {
        if (shown) shown->reject();
        reject();
      },
      this);
  shown = &about;
  about.exec();
  shown = nullptr;
  ok_->setFocus();
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
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
