#include "gui/dialog_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gui {
namespace {

using ui::ControlKind;

QColor FromColorRef(std::uint32_t colour) {
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// Line breaks arrive as CR LF from the INI files and as LF from the program's own texts.
QString DisplayText(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.remove(QLatin1Char('\r'));
  return shown;
}

int KeyCode(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return ui::kKeyEnter;
    case Qt::Key_Escape: return ui::kKeyEscape;
    case Qt::Key_F11: return ui::kKeyF11;
    case Qt::Key_F12: return ui::kKeyF12;
    default: return 0;
  }
}

// A dialog's push button. The default one is drawn as such; Enter on any of them goes on to the
// dialog, which presses the focused button or the default one, unless a handler of its own
// takes the key first.
class DialogButton : public QPushButton {
public:
  DialogButton(QWidget* parent, bool isDefault) : QPushButton(parent) {
    setAutoDefault(false);
    setDefault(isDefault);
  }

protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      event->ignore();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

QDateTime ToQDateTime(const ui::DateTime& v) {
  return QDateTime(QDate(v.year, v.month, v.day), QTime(v.hour, v.minute, v.second));
}

}  // namespace

DialogView::DialogView(ui::CDialog& dialog, QWidget* parent)
    : QWidget(parent), dialog_(dialog), font_(DialogFont()), units_(BaseUnitsOf(font_)) {
  setFont(font_);
  setObjectName(QString("dialog-%1").arg(dialog.TemplateId()));
  resize(TemplateSize());
  for (int id : dialog_.ItemIds()) {
    const ui::ControlState& control = dialog_.Item(id);
    QWidget* widget = MakeWidget(control);
    widget->setObjectName(QString("control-%1").arg(id));
    widgets_[id] = widget;
    Apply(control);
    if (control.kind == ControlKind::GroupBox) widget->lower();
  }
  dialog_.SetObserver(this);
  // Pages made while the dialog initialised, before it had a window.
  for (ui::CDialog* child : dialog_.ChildWindows()) ChildAdded(*child);
  // The keyboard starts where the dialog put it, also when that was before its window opened.
  FocusChanged(dialog_.Focus());
}

DialogView::~DialogView() { Detach(); }

void DialogView::Detach() {
  if (detached_) return;
  detached_ = true;
  for (auto& [child, view] : children_) view->Detach();
  if (dialog_.Observer() == this) dialog_.SetObserver(nullptr);
}

QSize DialogView::TemplateSize() const {
  const QRect size = ToPixels({0, 0, dialog_.Template().width, dialog_.Template().height}, units_);
  return size.size();
}

QWidget* DialogView::Widget(int id) const {
  const auto found = widgets_.find(id);
  return found == widgets_.end() ? nullptr : found->second;
}

DialogView* DialogView::ChildView(const ui::CDialog* child) const {
  const auto found = children_.find(child);
  return found == children_.end() ? nullptr : found->second;
}

void DialogView::SetWindowCallbacks(std::function<void()> windowChanged,
                                    std::function<void(int)> ended) {
  windowChanged_ = std::move(windowChanged);
  ended_ = std::move(ended);
}

QWidget* DialogView::MakeWidget(const ui::ControlState& control) {
  const int id = control.id;
  switch (control.kind) {
    case ControlKind::Static: {
      if ((control.style & ui::kEtched) != 0) {
        auto* line = new QFrame(this);
        line->setFrameShape(control.rect.height <= 2 ? QFrame::HLine : QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
      }
      auto* label = new QLabel(this);
      label->setWordWrap(control.rect.height > 10);
      label->setAlignment(
          ((control.style & ui::kCentered) != 0 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
      if ((control.style & ui::kSunken) != 0) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (control.rect.height > 14) {
          label->setMargin(4);
        } else {
          // A one-line value box, as the pages show printer values: the text in its middle.
          label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
          label->setIndent(3);
        }
      }
      return label;
    }
    case ControlKind::Edit: {
      if ((control.style & ui::kMultiLine) != 0) {
        auto* edit = new QPlainTextEdit(this);
        connect(edit, &QPlainTextEdit::textChanged, this, [this, id, edit] {
          if (!applying_) dialog_.EditText(id, edit->toPlainText().toStdString());
        });
        return edit;
      }
      auto* edit = new QLineEdit(this);
      connect(edit, &QLineEdit::textEdited, this,
              [this, id](const QString& text) { dialog_.EditText(id, text.toStdString()); });
      return edit;
    }
    case ControlKind::AddressField: {
      auto* edit = new QLineEdit(this);
      // Up to four groups of up to three digits; the page checks the values.
      edit->setValidator(
          new QRegularExpressionValidator(QRegularExpression(R"(\d{0,3}(\.\d{0,3}){0,3})"), edit));
      connect(edit, &QLineEdit::textEdited, this,
              [this, id](const QString& text) { dialog_.EditText(id, text.toStdString()); });
      return edit;
    }
    case ControlKind::Button: {
      auto* button = new DialogButton(this, (control.style & ui::kDefaultButton) != 0);
      button->setCheckable((control.style & ui::kPushLike) != 0);
      connect(button, &QPushButton::clicked, this, [this, id] { dialog_.Click(id); });
      return button;
    }
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
      QAbstractButton* button = nullptr;
      if (control.kind == ControlKind::CheckBox) {
        button = new QCheckBox(this);
      } else {
        auto* radio = new QRadioButton(this);
        radio->setAutoExclusive(false);  // the dialog keeps its groups
        button = radio;
      }
      connect(button, &QAbstractButton::clicked, this, [this, id] { dialog_.Click(id); });
      return button;
    }
    case ControlKind::GroupBox: return new QGroupBox(this);
    case ControlKind::TreeView: {
      auto* tree = new QTreeWidget(this);
      tree->setHeaderHidden(true);
      // A selection made in the tree (arrow keys) keeps the keyboard there, whatever the page it
      // opens would focus; Tab goes on into the page.
      connect(tree, &QTreeWidget::currentItemChanged, this,
              [this, id, tree](QTreeWidgetItem* item) {
                if (!applying_ && item != nullptr) {
                  const bool typing = tree->hasFocus();
                  dialog_.SelectTreeItem(id, item->data(0, Qt::UserRole).toInt());
                  if (typing) dialog_.SetFocus(id);
                }
              });
      return tree;
    }
    case ControlKind::DropDownList: {
      auto* combo = new QComboBox(this);
      connect(combo, qOverload<int>(&QComboBox::activated), this,
              [this, id](int index) { dialog_.SelectItem(id, index); });
      return combo;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(this);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::DatePicker:
    case ControlKind::TimePicker: {
      const bool date = control.kind == ControlKind::DatePicker;
      auto* edit = date ? static_cast<QDateTimeEdit*>(new QDateEdit(this))
                        : static_cast<QDateTimeEdit*>(new QTimeEdit(this));
      if (date) edit->setCalendarPopup(true);
      connect(edit, &QDateTimeEdit::dateTimeChanged, this, [this, id, date](const QDateTime& v) {
        if (applying_) return;
        ui::DateTime value = dialog_.Item(id).dateTime;
        if (date) {
          value.year = v.date().year();
          value.month = v.date().month();
          value.day = v.date().day();
        } else {
          value.hour = v.time().hour();
          value.minute = v.time().minute();
          value.second = v.time().second();
        }
        dialog_.SetDateTime(id, value);
      });
      return edit;
    }
    case ControlKind::Picture: {
      auto* label = new QLabel(this);
      label->setAlignment(Qt::AlignCenter);
      label->setWordWrap(true);
      return label;
    }
    case ControlKind::Table: {
      auto* table = new QTableWidget(this);
      table->setEditTriggers(QAbstractItemView::NoEditTriggers);
      table->setSelectionBehavior(QAbstractItemView::SelectRows);
      table->verticalHeader()->hide();
      table->horizontalHeader()->setStretchLastSection(true);
      return table;
    }
  }
  return new QWidget(this);
}

void DialogView::Apply(const ui::ControlState& control) {
  QWidget* widget = Widget(control.id);
  if (widget == nullptr) return;
  applying_ = true;
  const QString text = DisplayText(control.text);
  widget->setFont(control.font ? ToQFont(*control.font, font_) : font_);
  widget->setEnabled(control.enabled);
  // A box nobody can type into is no stop for Tab; a click still selects its text.
  if (control.kind == ControlKind::Edit || control.kind == ControlKind::AddressField)
    widget->setFocusPolicy(control.readOnly ? Qt::ClickFocus : Qt::StrongFocus);
  if (control.textColour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, FromColorRef(*control.textColour));
    palette.setColor(QPalette::Text, FromColorRef(*control.textColour));
    widget->setPalette(palette);
  }
  if (control.pixelRect) {
    widget->setGeometry(control.pixelRect->x, control.pixelRect->y, control.pixelRect->width,
                        control.pixelRect->height);
  } else {
    // Pages may move a control (a row that closes up when the rows above it are hidden).
    QRect geometry = ToPixels(control.rect, units_);
    // A drop-down list's template height includes its open list; closed it is one line high.
    if (control.kind == ControlKind::DropDownList) geometry.setHeight(widget->sizeHint().height());
    widget->setGeometry(geometry);
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    if (control.kind == ControlKind::Picture && !control.picturePath.empty()) {
      const QPixmap picture(QString::fromStdString(control.picturePath));
      label->setPixmap(
          picture.scaled(widget->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    } else {
      label->setText(text);
    }
  } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    if (line->text() != text) line->setText(text);
    line->setReadOnly(control.readOnly);
    line->setMaxLength(control.limit > 0 ? control.limit : 32767);
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
    if (edit->toPlainText() != text) edit->setPlainText(text);
    edit->setReadOnly(control.readOnly);
  } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    box->setTitle(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(QString(text).replace('&', "&&"));
    if (button->isCheckable() || control.kind != ControlKind::Button) {
      button->setChecked(control.checked != 0);
    }
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->clear();
    for (const std::string& item : control.items) combo->addItem(QString::fromStdString(item));
    combo->setCurrentIndex(control.selection);
  } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
    bar->setRange(control.rangeMin, std::max(control.rangeMin, control.rangeMax));
    bar->setValue(control.position);
    if (control.barColour) {
      bar->setStyleSheet(QString("QProgressBar::chunk { background-color: %1; }")
                             .arg(FromColorRef(*control.barColour).name()));
    }
  } else if (auto* picker = qobject_cast<QDateTimeEdit*>(widget)) {
    // A date picker with a range offers those years only.
    if (control.kind == ui::ControlKind::DatePicker && control.rangeMin > 0)
      picker->setDateRange(QDate(control.rangeMin, 1, 1), QDate(control.rangeMax, 12, 31));
    picker->setDateTime(ToQDateTime(control.dateTime));
  } else if (qobject_cast<QTreeWidget*>(widget) != nullptr) {
    ApplyTree(widget, control);
  } else if (auto* table = qobject_cast<QTableWidget*>(widget)) {
    ApplyTable(table, control);
  }
  widget->setVisible(control.visible);
  applying_ = false;
}

// The program's 16 x 16 tree bitmaps: a plain step, a step to do, a finished step.
QIcon DialogView::TreeBitmap(int resource) {
  QPixmap bitmap(16, 16);
  bitmap.fill(Qt::transparent);
  QPainter painter(&bitmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(90, 90, 90), 1));
  switch (resource) {
    case 214:  // to do: an empty box
      painter.setBrush(Qt::white);
      painter.drawRect(2, 2, 11, 11);
      break;
    case 213:  // finished: the box ticked
      painter.setBrush(Qt::white);
      painter.drawRect(2, 2, 11, 11);
      painter.setPen(QPen(QColor(20, 140, 40), 2.2));
      painter.drawPolyline(QPolygonF({QPointF(4.5, 8), QPointF(7, 11), QPointF(12, 4.5)}));
      break;
    default:  // a plain step: a dot
      painter.setBrush(QColor(120, 120, 120));
      painter.drawEllipse(QPointF(8, 8), 3, 3);
      break;
  }
  painter.end();
  return QIcon(bitmap);
}

void DialogView::ApplyTree(QWidget* widget, const ui::ControlState& control) {
  auto* tree = static_cast<QTreeWidget*>(widget);
  std::map<int, QTreeWidgetItem*> items;
  // Items are only ever appended or cleared, so the widget is rebuilt only when it lost some.
  if (static_cast<std::size_t>(tree->property("builtItems").toInt()) > control.tree.Size()) {
    tree->clear();
    tree->setProperty("builtItems", 0);
  }
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
    items[(*it)->data(0, Qt::UserRole).toInt()] = *it;
  }
  for (int handle = 1; handle <= static_cast<int>(control.tree.Size()); ++handle) {
    const ui::TreeItems::Item* item = control.tree.Find(handle);
    QTreeWidgetItem*& shown = items[handle];
    if (shown == nullptr) {
      const auto parent = items.find(item->parent);
      shown = parent != items.end() && parent->second != nullptr
                  ? new QTreeWidgetItem(parent->second)
                  : new QTreeWidgetItem(tree);
      shown->setData(0, Qt::UserRole, handle);
      shown->setExpanded(true);
    }
    shown->setText(0, QString::fromStdString(item->text));
    const bool hasImage =
        item->image >= 0 && item->image < static_cast<int>(control.treeImages.size());
    shown->setIcon(0, hasImage
                          ? TreeBitmap(control.treeImages[static_cast<std::size_t>(item->image)])
                          : QIcon());
  }
  tree->setProperty("builtItems", static_cast<int>(control.tree.Size()));
  const auto selected = items.find(control.tree.Selected());
  tree->setCurrentItem(selected != items.end() ? selected->second : nullptr);
}

// A row of one cell in a table of more columns spans them all, its text wrapped to the table's
// width: the columns are sized by the other rows, so that a long text needs no horizontal scroll.
void DialogView::ApplyTable(QTableWidget* table, const ui::ControlState& control) {
  table->clear();
  table->clearSpans();
  const int columns = static_cast<int>(control.items.size());
  table->setColumnCount(columns);
  table->setRowCount(static_cast<int>(control.rows.size()));
  QStringList headings;
  for (const std::string& heading : control.items) headings << QString::fromStdString(heading);
  table->setHorizontalHeaderLabels(headings);
  std::vector<int> spanning;
  for (std::size_t row = 0; row < control.rows.size(); ++row) {
    const auto& cells = control.rows[row];
    if (cells.size() == 1 && columns > 1) {
      spanning.push_back(static_cast<int>(row));
      continue;
    }
    for (std::size_t column = 0; column < cells.size() && column < control.items.size(); ++column)
      table->setItem(static_cast<int>(row), static_cast<int>(column),
                     new QTableWidgetItem(DisplayText(cells[column])));
  }
  table->resizeColumnsToContents();
  table->resizeRowsToContents();
  // The vertical scroll bar may come with the rows: its room is kept free from the start.
  const int width = table->width() - table->verticalScrollBar()->sizeHint().width() - 12;
  for (const int row : spanning) {
    const QString text = DisplayText(control.rows[static_cast<std::size_t>(row)][0]);
    table->setSpan(row, 0, 1, columns);
    table->setItem(row, 0, new QTableWidgetItem(text));
    const QRect needed =
        table->fontMetrics().boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text);
    table->setRowHeight(row, needed.height() + 6);
  }
}

void DialogView::ControlChanged(int id) {
  if (dialog_.HasItem(id)) Apply(dialog_.Item(id));
}

void DialogView::FocusChanged(int id) {
  if (QWidget* widget = Widget(id)) widget->setFocus(Qt::OtherFocusReason);
}

void DialogView::WindowChanged() {
  if (windowChanged_) {
    windowChanged_();
    return;
  }
  // A page inside its host.
  const ui::DialogRect placement = dialog_.Placement();
  move(ToPixels(placement, parentWidget() != nullptr
                               ? static_cast<DialogView*>(parentWidget())->Units()
                               : units_)
           .topLeft());
  setVisible(dialog_.IsWindowVisible() && dialog_.IsCreated());
}

void DialogView::ChildAdded(ui::CDialog& child) {
  auto* view = new DialogView(child, this);
  children_[&child] = view;
  if (child.PlacedAfter() != 0) PlaceInTabOrder(*view, child.PlacedAfter());
  view->WindowChanged();
}

// Tab goes from the host control before the page's place through the page's controls, then on
// through the host's, as if the page's controls were the host's own.
void DialogView::PlaceInTabOrder(DialogView& page, int placedAfter) {
  const auto takesTab = [](QWidget* widget) {
    return widget != nullptr && widget->focusPolicy() != Qt::NoFocus;
  };
  QWidget* previous = nullptr;
  for (const int id : dialog_.ItemIds()) {
    if (takesTab(Widget(id))) previous = Widget(id);
    if (id == placedAfter) break;
  }
  if (previous == nullptr) return;
  for (const int id : page.Dialog().ItemIds()) {
    if (!takesTab(page.Widget(id))) continue;
    QWidget::setTabOrder(previous, page.Widget(id));
    previous = page.Widget(id);
  }
}

void DialogView::ChildRemoved(ui::CDialog& child) {
  const auto found = children_.find(&child);
  if (found == children_.end()) return;
  delete found->second;
  children_.erase(found);
}

void DialogView::Ended(int result) {
  if (ended_) ended_(result);
}

int DialogView::SyncFocusToModel() {
  const QWidget* focused = QApplication::focusWidget();
  if (focused == nullptr) return dialog_.Focus();
  for (const auto& [id, widget] : widgets_) {
    if (widget == focused || widget->isAncestorOf(focused)) {
      dialog_.SetFocus(id);
      return id;
    }
  }
  for (const auto& [page, view] : children_) {
    if (view->isAncestorOf(focused)) {
      dialog_.SetFocus(0);
      return 0;
    }
  }
  return dialog_.Focus();
}

void DialogView::keyPressEvent(QKeyEvent* event) {
  const int key = KeyCode(event);
  if (key == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  const int focused = SyncFocusToModel();
  // A page and its host are one window to the technician: only Enter on one of the page's own
  // buttons is the page's; every other key goes on to the host (Escape closes the window, Enter
  // presses its default button, F11 and F12 are its hot keys).
  const bool page = dynamic_cast<DialogView*>(parentWidget()) != nullptr;
  const bool onButton =
      dialog_.HasItem(focused) && dialog_.Item(focused).kind == ControlKind::Button;
  if (page && !(key == ui::kKeyEnter && onButton)) {
    event->ignore();
    return;
  }
  if (dialog_.KeyDown(key)) {
    event->accept();
  } else {
    event->ignore();  // not used here: let the host see it
  }
}

DialogWindow::DialogWindow(ui::CDialog& dialog, QWidget* parent) : QDialog(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  view_ = new DialogView(dialog, this);
  layout->addWidget(view_);
  view_->SetWindowCallbacks([this] { ApplyWindow(); },
                            [this](int result) {
                              done(result);
                              if (onEnded_) onEnded_(result);
                            });
  ApplyWindow();
}

void DialogWindow::ApplyWindow() {
  const ui::CDialog& dialog = view_->Dialog();
  setWindowTitle(QString::fromStdString(dialog.Caption()));
  if (const auto& rect = dialog.WindowRect()) {
    setFixedSize(rect->width, rect->height);
    move(rect->x, rect->y);
  } else {
    setFixedSize(view_->TemplateSize());
  }
}

void DialogWindow::reject() { view_->Dialog().CloseBox(); }

void DialogWindow::keyPressEvent(QKeyEvent* event) {
  // Keys the dialog did not use end here: QDialog would treat Enter and Escape itself.
  event->accept();
}

}  // namespace gui
