// make-service-media: draws the item pictures of the service menus (JPEG, 9 x 6 cm at 150 dpi)
// and the two short manuals (PDF) into a service folder. The shipped files in data/Service are
// made by scripts/make-service-media.sh with this tool.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 531;
constexpr int kHeight = 354;

const QColor kInk(40, 40, 40);
const QColor kBody(214, 218, 224);
const QColor kPaper(252, 252, 248);
const QColor kMark(200, 30, 30);
const QColor kCyan(0, 160, 220), kMagenta(220, 0, 130), kYellow(240, 200, 0), kBlack(20, 20, 20);
// The eight ink rows of the print head, as the sheets and the head picture show them.
const QColor kHeadRows[8] = {kBlack,
                             kCyan,
                             kMagenta,
                             kYellow,
                             QColor(120, 120, 120),
                             QColor(90, 200, 240),
                             QColor(240, 120, 200),
                             QColor(60, 60, 60)};

// Drawing helpers shared by the pictures.
class Sketch {
public:
  explicit Sketch(QPainter& p) : p_(p) {}

  void Box(QRectF r, QColor fill, double radius = 6) {
    p_.setPen(QPen(kInk, 2.5));
    p_.setBrush(fill);
    p_.drawRoundedRect(r, radius, radius);
  }
  void Text(double x, double y, const QString& text, int size = 13, QColor colour = kInk,
            bool bold = false) {
    QFont font("DejaVu Sans", size);
    font.setBold(bold);
    p_.setFont(font);
    p_.setPen(colour);
    p_.drawText(QPointF(x, y), text);
  }
  void Mono(double x, double y, const QString& text, int size = 11) {
    p_.setFont(QFont("DejaVu Sans Mono", size));
    p_.setPen(kInk);
    p_.drawText(QPointF(x, y), text);
  }
  // A red pointer from a caption to the part it names.
  void Pointer(QPointF from, QPointF to, const QString& caption) {
    p_.setPen(QPen(kMark, 3));
    p_.drawLine(from, to);
    p_.setBrush(kMark);
    p_.drawEllipse(to, 5, 5);
    Text(from.x() - 4, from.y() - 8, caption, 13, kMark, true);
  }
  void Title(const QString& text) { Text(16, 30, text, 14, kInk, true); }
  void Barcode(QRectF r, unsigned seed) {
    p_.setPen(Qt::NoPen);
    p_.setBrush(kBlack);
    double x = r.left();
    for (unsigned i = 0; x < r.right() - 4; ++i) {
      const double w = ((seed >> (i % 16)) & 1) != 0 ? 3.5 : 1.5;
      p_.drawRect(QRectF(x, r.top(), w, r.height()));
      x += w + (((seed >> ((i + 5) % 16)) & 1) != 0 ? 3 : 1.8);
    }
  }
  void Sheet(QRectF r) {
    p_.setPen(QPen(QColor(150, 150, 150), 1.5));
    p_.setBrush(kPaper);
    p_.drawRect(r);
  }
  void Motor(QPointF centre, const QString& caption) {
    Box(QRectF(centre.x() - 55, centre.y() - 40, 90, 80), QColor(120, 130, 140), 10);
    p_.setBrush(QColor(180, 180, 180));
    p_.drawEllipse(QPointF(centre.x() + 45, centre.y()), 14, 14);  // pulley
    Text(centre.x() - 45, centre.y() + 6, caption, 12, Qt::white, true);
  }
  QPainter& Painter() { return p_; }

private:
  QPainter& p_;
};

// The printer seen from the front, the background of several pictures.
void PrinterBody(Sketch& s) {
  s.Box(QRectF(40, 110, 450, 130), kBody, 12);
  s.Box(QRectF(60, 240, 410, 26), QColor(235, 235, 235), 3);  // paper exit
  s.Box(QRectF(52, 122, 70, 40), QColor(70, 80, 90), 4);      // panel
  s.Painter().setPen(QPen(kInk, 2));
  s.Painter().drawLine(QPointF(40, 180), QPointF(490, 180));  // front cover seam
}

void NozzleLanes(Sketch& s, QRectF area) {
  QPainter& p = s.Painter();
  const double lane = area.width() / 8;
  for (int c = 0; c < 8; ++c) {
    p.setPen(QPen(kHeadRows[c], 1.6));
    for (int step = 0; step < 12; ++step) {
      const double x = area.left() + c * lane + 6 + (step % 4) * 4;
      const double y = area.top() + step * (area.height() / 12);
      if (c == 2 && step == 7) continue;  // one missing nozzle, as a technician would spot it
      p.drawLine(QPointF(x, y), QPointF(x + lane / 2, y));
    }
  }
}

using Drawing = std::function<void(Sketch&)>;

struct Picture {
  const char* name;
  Drawing draw;
};

std::vector<Picture> Pictures() {
  return {
      {"serial_label",
       [](Sketch& s) {
         s.Title("Serial number label (rear of the printer)");
         s.Box(QRectF(40, 60, 450, 270), kBody, 12);
         s.Box(QRectF(250, 120, 210, 110), Qt::white, 3);
         s.Mono(262, 145, "SERIAL No.");
         s.Mono(262, 168, "LW2K001234", 14);
         s.Barcode(QRectF(262, 180, 180, 36), 0xB5A3u);
         s.Box(QRectF(70, 250, 60, 40), QColor(90, 90, 90), 3);  // power inlet
         s.Pointer(QPointF(120, 100), QPointF(252, 150), "10 characters");
       }},
      {"head_id_label",
       [](Sketch& s) {
         s.Title("Head ID label on the print head");
         s.Box(QRectF(60, 70, 220, 250), QColor(90, 95, 100), 8);
         s.Box(QRectF(80, 100, 180, 110), Qt::white, 3);
         const char* groups[5] = {"0A1C2D3E4", "F5G6H7J8K", "9M0N1P2Q3", "R4T5U6V7W", "8X9Y0A1C7"};
         for (int row = 0; row < 5; ++row) s.Mono(92, 124 + row * 19, groups[row], 11);
         s.Pointer(QPointF(320, 120), QPointF(262, 150), "5 groups of 9");
         s.Text(300, 220, "Type the groups in order,", 12);
         s.Text(300, 240, "top to bottom.", 12);
       }},
      {"mac_label",
       [](Sketch& s) {
         s.Title("MAC address label beside the LAN port");
         s.Box(QRectF(40, 60, 450, 270), kBody, 12);
         s.Box(QRectF(300, 210, 60, 50), QColor(60, 60, 60), 3);  // LAN port
         s.Text(300, 285, "LAN", 12);
         s.Box(QRectF(90, 130, 190, 60), Qt::white, 3);
         s.Mono(102, 156, "MAC ADDRESS");
         s.Mono(102, 178, "00:26:AB:10:20:30", 12);
         s.Pointer(QPointF(150, 100), QPointF(180, 132), "six bytes, hexadecimal");
       }},
      {"bid_sheet",
       [](Sketch& s) {
         s.Title("Bi-D sheet: pick the straightest pattern");
         s.Sheet(QRectF(40, 50, 450, 290));
         QPainter& p = s.Painter();
         for (int row = 0; row < 2; ++row) {
           for (int n = 0; n < 9; ++n) {
             const double x = 60 + n * 47;
             const double y = 80 + row * 130;
             const double offset = (n - 4) * 1.6;
             p.setPen(QPen(row == 0 ? kBlack : kCyan, 1.5));
             for (int line = 0; line < 6; ++line) {
               p.drawLine(QPointF(x + line * 6, y), QPointF(x + line * 6, y + 40));
               p.drawLine(QPointF(x + line * 6 + offset, y + 40),
                          QPointF(x + line * 6 + offset, y + 80));
             }
             s.Text(x + 10, y + 100, QString::number(n + 1), 11);
           }
         }
         s.Text(400, 335, "best: 5", 12, kMark, true);
       }},
      {"position_sheet",
       [](Sketch& s) {
         s.Title("Head position sheet: the four marks");
         s.Sheet(QRectF(40, 50, 450, 290));
         QPainter& p = s.Painter();
         const QPointF marks[] = {{90, 195}, {440, 195}, {265, 90}, {265, 300}};
         const char* names[] = {"Left", "Right", "Front", "Rear"};
         for (int i = 0; i < 4; ++i) {
           p.setPen(QPen(kBlack, 2));
           p.drawLine(marks[i] - QPointF(18, 0), marks[i] + QPointF(18, 0));
           p.drawLine(marks[i] - QPointF(0, 18), marks[i] + QPointF(0, 18));
           s.Text(marks[i].x() - 20, marks[i].y() + 36, names[i], 12, kMark, true);
         }
       }},
      {"feed_sheet",
       [](Sketch& s) {
         s.Title("Feed sheet: measure the 508 mm line");
         s.Sheet(QRectF(200, 45, 130, 300));
         QPainter& p = s.Painter();
         p.setPen(QPen(kBlack, 2));
         p.drawLine(QPointF(220, 60), QPointF(310, 60));
         p.drawLine(QPointF(220, 330), QPointF(310, 330));
         p.setPen(QPen(kMark, 2, Qt::DashLine));
         p.drawLine(QPointF(265, 60), QPointF(265, 330));
         s.Text(340, 200, "508 mm", 14, kMark, true);
         s.Text(340, 222, "enter what you measure", 11);
       }},
      {"height_sheet",
       [](Sketch& s) {
         s.Title("Head height sheet: left and right blocks");
         s.Sheet(QRectF(40, 50, 450, 290));
         QPainter& p = s.Painter();
         p.setPen(Qt::NoPen);
         for (int side = 0; side < 2; ++side) {
           for (int n = 0; n < 6; ++n) {
             p.setBrush(QColor(40 + n * 30, 40 + n * 30, 40 + n * 30));
             p.drawRect(QRectF(80 + side * 230, 90 + n * 35, 150, 25));
           }
         }
         s.Text(120, 330, "Left", 13, kMark, true);
         s.Text(350, 330, "Right", 13, kMark, true);
       }},
      {"nozzle_check",
       [](Sketch& s) {
         s.Title("Nozzle check sheet");
         s.Sheet(QRectF(40, 50, 450, 290));
         NozzleLanes(s, QRectF(60, 80, 410, 220));
         s.Pointer(QPointF(250, 335), QPointF(172, 226), "missing step: clean the head");
       }},
      {"inspection_sheet",
       [](Sketch& s) {
         s.Title("Inspection sheet with the header");
         s.Sheet(QRectF(40, 50, 450, 290));
         s.Mono(60, 80, "MACHINE No. 0001  SERIAL LW2K001234");
         s.Mono(60, 98, "FW LW10A0  HEAD 0A1C2D3E4...  Matte Black");
         s.Barcode(QRectF(60, 108, 220, 30), 0x9C6Bu);
         NozzleLanes(s, QRectF(60, 160, 410, 160));
       }},
      {"cleaning_unit",
       [](Sketch& s) {
         s.Title("Cleaning unit: caps, wiper and pump");
         s.Box(QRectF(50, 150, 430, 150), kBody, 8);
         for (int i = 0; i < 4; ++i) s.Box(QRectF(80 + i * 60, 120, 45, 40), QColor(60, 60, 60), 4);
         s.Box(QRectF(340, 110, 14, 50), QColor(30, 120, 200), 2);    // wiper
         s.Box(QRectF(390, 200, 70, 70), QColor(150, 150, 150), 30);  // pump
         s.Pointer(QPointF(90, 90), QPointF(100, 125), "caps");
         s.Pointer(QPointF(300, 80), QPointF(347, 112), "wiper");
         s.Pointer(QPointF(300, 330), QPointF(420, 262), "pump");
       }},
      {"cr_motor",
       [](Sketch& s) {
         s.Title("Carriage (CR) motor, right rear");
         s.Painter().setPen(QPen(kInk, 3));
         s.Painter().drawLine(QPointF(60, 120), QPointF(430, 120));  // belt
         s.Painter().drawLine(QPointF(60, 150), QPointF(430, 150));
         s.Box(QRectF(160, 95, 90, 80), QColor(90, 95, 100), 6);  // carriage
         s.Text(172, 140, "carriage", 11, Qt::white);
         s.Motor(QPointF(430, 240), "CR");
         s.Painter().setPen(QPen(kInk, 3));
         s.Painter().drawLine(QPointF(430, 150), QPointF(475, 226));
         s.Pointer(QPointF(250, 300), QPointF(390, 260), "CR motor");
       }},
      {"pf_motor",
       [](Sketch& s) {
         s.Title("Paper-feed (PF) motor, left side");
         s.Box(QRectF(60, 120, 360, 30), QColor(110, 110, 110), 14);  // feed roller
         s.Text(180, 142, "PF roller", 11, Qt::white);
         s.Motor(QPointF(120, 250), "PF");
         s.Painter().setBrush(Qt::NoBrush);
         s.Painter().setPen(QPen(kInk, 3));
         s.Painter().drawEllipse(QPointF(165, 180), 30, 30);  // gear
         s.Pointer(QPointF(280, 300), QPointF(170, 265), "PF motor");
       }},
      {"aid_unit",
       [](Sketch& s) {
         s.Title("AID sensor under the carriage");
         s.Box(QRectF(150, 80, 230, 110), QColor(90, 95, 100), 8);
         s.Box(QRectF(320, 190, 40, 26), QColor(250, 200, 60), 3);
         s.Sheet(QRectF(60, 250, 410, 60));
         s.Painter().setPen(QPen(kMark, 2, Qt::DotLine));
         s.Painter().drawLine(QPointF(340, 216), QPointF(340, 262));
         s.Pointer(QPointF(400, 120), QPointF(350, 200), "AID sensor");
       }},
      {"ils_unit",
       [](Sketch& s) {
         s.Title("ILS option unit: sensor head and tiles");
         s.Box(QRectF(40, 90, 450, 200), kBody, 10);
         s.Box(QRectF(200, 120, 70, 60), QColor(70, 80, 90), 5);  // sensor head
         const QColor tiles[] = {Qt::white, kCyan, kMagenta, kYellow, kBlack};
         for (int i = 0; i < 5; ++i) s.Box(QRectF(90 + i * 70, 220, 50, 40), tiles[i], 2);
         s.Box(QRectF(440, 110, 30, 30), QColor(150, 150, 150), 15);  // fan
         s.Pointer(QPointF(150, 70), QPointF(230, 125), "sensor head");
         s.Pointer(QPointF(380, 320), QPointF(385, 255), "calibration tiles");
       }},
      {"main_board",
       [](Sketch& s) {
         s.Title("Main board");
         s.Box(QRectF(40, 50, 320, 290), QColor(30, 120, 60), 6);
         s.Box(QRectF(80, 110, 90, 90), QColor(30, 30, 30), 3);   // processor
         s.Box(QRectF(220, 130, 60, 35), QColor(30, 30, 30), 2);  // NVRAM
         s.Text(223, 152, "NVRAM", 10, Qt::white);
         for (int i = 0; i < 5; ++i) s.Box(QRectF(55 + i * 60, 290, 45, 30), Qt::white, 2);
         s.Pointer(QPointF(380, 110), QPointF(280, 147), "back up");
         s.Text(376, 130, "before the", 12, kMark, true);
         s.Text(376, 148, "exchange", 12, kMark, true);
       }},
      {"power_off",
       [](Sketch& s) {
         s.Title("Switch off and unplug");
         PrinterBody(s);
         s.Box(QRectF(440, 124, 30, 30), QColor(60, 60, 60), 15);
         s.Pointer(QPointF(320, 90), QPointF(455, 139), "power button");
         s.Text(60, 320, "Wait one minute before opening the covers.", 13, kMark, true);
       }},
      {"covers",
       [](Sketch& s) {
         s.Title("Rear cover and right side cover");
         PrinterBody(s);
         s.Painter().setPen(QPen(kMark, 4, Qt::DashLine));
         s.Painter().setBrush(Qt::NoBrush);
         s.Painter().drawRect(QRectF(430, 112, 58, 126));  // right side cover
         s.Painter().drawRect(QRectF(130, 112, 296, 14));  // rear cover, seen over the top
         s.Pointer(QPointF(160, 80), QPointF(240, 119), "rear cover");
         s.Pointer(QPointF(380, 300), QPointF(458, 220), "right cover");
         s.Text(60, 320, "4 screws each", 13, kMark, true);
       }},
      {"ink_tube",
       [](Sketch& s) {
         s.Title("Ink tube from the ink holder to the head");
         s.Box(QRectF(40, 220, 120, 90), kBody, 6);
         s.Text(55, 270, "ink holder", 11);
         s.Box(QRectF(360, 80, 110, 70), QColor(90, 95, 100), 6);
         QPainterPath tube(QPointF(160, 250));
         tube.cubicTo(QPointF(300, 260), QPointF(250, 120), QPointF(360, 115));
         s.Painter().setPen(QPen(QColor(120, 160, 220), 8));
         s.Painter().setBrush(Qt::NoBrush);
         s.Painter().drawPath(tube);
         s.Pointer(QPointF(280, 320), QPointF(258, 200), "tube");
       }},
      {"wiper",
       [](Sketch& s) {
         s.Title("Wiper blade");
         s.Box(QRectF(150, 150, 230, 60), kBody, 6);
         s.Box(QRectF(250, 70, 20, 85), QColor(30, 120, 200), 3);
         s.Pointer(QPointF(330, 60), QPointF(262, 90), "lift it out upwards");
       }},
      {"print_head",
       [](Sketch& s) {
         s.Title("Print head, nozzle side");
         s.Box(QRectF(90, 70, 350, 240), QColor(90, 95, 100), 8);
         QPainter& p = s.Painter();
         p.setPen(Qt::NoPen);
         for (int r = 0; r < 8; ++r) {
           p.setBrush(kHeadRows[r]);
           for (int n = 0; n < 24; ++n) p.drawEllipse(QPointF(130 + n * 12, 95 + r * 26), 3, 3);
         }
       }},
  };
}

bool WritePicture(const QString& path, const Drawing& draw) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.setDotsPerMeterX(5906);  // 150 dpi
  image.setDotsPerMeterY(5906);
  image.fill(QColor(246, 246, 240));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  Sketch sketch(painter);
  draw(sketch);
  painter.end();
  return image.save(path, "JPG", 90);
}

// A manual of one A4 page (595 x 842 points): a heading, a drawing and lines of text.
struct Manual {
  const char* file;
  QString title;
  std::function<void(QPainter&)> drawing;
  QStringList lines;
};

void PaintManual(QPainter& p, const Manual& manual) {
  p.setFont(QFont("DejaVu Sans", 18, QFont::Bold));
  p.drawText(QPointF(50, 60), manual.title);
  p.save();
  p.translate(50, 90);
  manual.drawing(p);
  p.restore();
  p.setFont(QFont("DejaVu Sans", 10));
  double y = 560;
  for (const QString& line : manual.lines) {
    p.drawText(QPointF(50, y), line);
    y += 16;
  }
}

bool WriteManual(const QString& path, const Manual& manual) {
  QPdfWriter pdf(path);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setResolution(72);
  pdf.setTitle(manual.title);
  pdf.setCreator("make-service-media");
  QPainter p(&pdf);
  if (!p.isActive()) return false;
  PaintManual(p, manual);
  return p.end();
}

void Node(QPainter& p, QRectF r, const QString& text, QColor fill = QColor(230, 236, 244)) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(fill);
  p.drawRoundedRect(r, 4, 4);
  p.setFont(QFont("DejaVu Sans", 9));
  p.drawText(r, Qt::AlignCenter, text);
}

void PanelMenuMap(QPainter& p) {
  const QStringList menus = {"Paper Setup", "Print Head",  "Maintenance",   "Printer Setup",
                             "Network",     "Option Unit", "Printer Status"};
  const QList<QStringList> items = {
      {"Paper Type", "Paper Width", "Margin"},  {"Nozzle Check", "Cleaning", "Alignment"},
      {"Cutter", "Long Cleaning", "Day Timer"}, {"Language", "Units", "Sleep Time"},
      {"IP Address", "MAC Address", "Reset"},   {"Calibrate", "Tile Check", "Fan"},
      {"Firmware", "Ink Levels", "Counters"}};
  Node(p, QRectF(100, 0, 100, 26), "MENU", QColor(255, 240, 200));
  p.setPen(QPen(kInk, 1));
  p.drawLine(QPointF(150, 26), QPointF(150, 50 + (menus.size() - 1) * 58 + 13));
  for (int i = 0; i < menus.size(); ++i) {
    const double y = 50 + i * 58;
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(150, y + 13), QPointF(170, y + 13));
    Node(p, QRectF(170, y, 160, 26), menus[i]);
    for (int k = 0; k < items[i].size(); ++k) {
      const double ky = y - 12 + k * 14;
      p.setPen(QPen(kInk, 0.8));
      p.drawLine(QPointF(330, y + 13), QPointF(350, ky + 6));
      p.setFont(QFont("DejaVu Sans", 8));
      p.drawText(QPointF(354, ky + 10), items[i][k]);
    }
  }
}

void WiringOverview(QPainter& p) {
  const struct {
    QRectF box;
    const char* name;
    const char* connector;
  } parts[] = {{{0, 0, 130, 40}, "Power supply", "CN1 24 V"},
               {{185, 0, 130, 40}, "Control panel", "CN2"},
               {{370, 0, 130, 40}, "USB / LAN", "CN3 / CN4"},
               {{0, 190, 130, 40}, "CR motor", "CN5"},
               {{370, 190, 130, 40}, "PF motor", "CN6"},
               {{0, 380, 130, 40}, "Print head", "CN7 (FFC)"},
               {{185, 380, 130, 40}, "Ink system / pump", "CN8"},
               {{370, 380, 130, 40}, "ILS option unit", "CN9"}};
  const QPointF hub(250, 215);
  for (const auto& part : parts) {
    p.setPen(QPen(kMark, 1.4));
    p.drawLine(part.box.center(), hub);
    p.setFont(QFont("DejaVu Sans", 8));
    p.setPen(kInk);
    p.drawText(part.box.center() + (hub - part.box.center()) * 0.45 + QPointF(4, -4),
               part.connector);
  }
  for (const auto& part : parts) Node(p, part.box, part.name);
  Node(p, QRectF(170, 170, 160, 90), "Main board\nCN1 .. CN9", QColor(200, 236, 210));
}

// PNG pages to look at what was drawn: every picture at half size on one sheet, and each manual.
bool WritePreview(const QString& folder, const Manual (&manuals)[2]) {
  if (!QDir().mkpath(folder)) return false;
  const std::vector<Picture> pictures = Pictures();
  const int columns = 4;
  const int rows = static_cast<int>(pictures.size() + columns - 1) / columns;
  QImage sheet(columns * kWidth / 2, rows * kHeight / 2, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter p(&sheet);
  p.setRenderHint(QPainter::Antialiasing);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    p.save();
    p.translate(static_cast<int>(i % columns) * kWidth / 2,
                static_cast<int>(i / columns) * kHeight / 2);
    p.scale(0.5, 0.5);
    p.fillRect(QRect(0, 0, kWidth, kHeight), QColor(246, 246, 240));
    Sketch sketch(p);
    pictures[i].draw(sketch);
    p.restore();
  }
  p.end();
  bool written = sheet.save(folder + "/pictures.png");
  for (const Manual& manual : manuals) {
    QImage page(595, 842, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintManual(painter, manual);
    painter.end();
    written = page.save(folder + "/" + QString(manual.file).replace(".pdf", ".png")) && written;
  }
  return written;
}

}  // namespace

// The program's icon at a size, drawn from its SVG source; a null image when the source is bad.
QImage RenderIcon(int size) {
  QSvgRenderer svg(QStringLiteral(GRELT_ICON_SVG));
  if (!svg.isValid()) return {};
  QImage icon(size, size, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  svg.render(&painter);
  painter.end();
  return icon;
}

// The program's icon beside the program, in the folder above Service.
bool WriteIcon(const QString& serviceFolder) {
  const QImage icon = RenderIcon(256);
  return !icon.isNull() && icon.save(QFileInfo(serviceFolder).absolutePath() + "/grelt02.png");
}

// The icon theme's sizes of the desktop menu: FOLDER/<n>x<n>/apps/grelt02.png.
int WriteThemeIcons(const QString& folder) {
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString apps = QString("%1/%2x%2/apps").arg(folder).arg(size);
    const QImage icon = RenderIcon(size);
    if (icon.isNull() || !QDir().mkpath(apps) || !icon.save(apps + "/grelt02.png")) {
      std::fprintf(stderr, "make-service-media: cannot write the %dx%d icon\n", size, size);
      return 1;
    }
  }
  return 0;
}

int main(int argc, char** argv) {
  const bool icons = argc == 3 && std::string(argv[1]) == "--icons";
  if (argc != 2 && argc != 4 && !icons) {
    std::fprintf(stderr,
                 "usage: make-service-media SERVICE_FOLDER [--preview PNG_FOLDER]\n"
                 "       make-service-media --icons ICON_THEME_FOLDER\n");
    return 2;
  }
  const QString preview = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (icons) return WriteThemeIcons(QString::fromLocal8Bit(argv[2]));
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder + "/images")) {
    std::fprintf(stderr, "make-service-media: cannot create %s/images\n", argv[1]);
    return 1;
  }
  int failures = 0;
  for (const Picture& picture : Pictures()) {
    if (!WritePicture(folder + "/images/" + picture.name + ".jpg", picture.draw)) ++failures;
  }
  const Manual manuals[] = {
      {"Panel_Menu_Maps.pdf",
       "Panel menu map",
       PanelMenuMap,
       {"The printer's control panel opens MENU with the Menu button.",
        "Up and Down move through a level, OK opens the entry, Back returns one level.",
        "Maintenance and Option Unit hold the functions a technician uses most;",
        "the service program reaches the same functions over USB without the panel.",
        "Printer Status > Firmware shows the version the program reads at every run."}},
      {"Wiring_Diagrams.pdf",
       "Wiring overview",
       WiringOverview,
       {"Every unit connects to the main board; the connector number is on the line.",
        "Before an exchange: switch off, unplug and wait one minute.",
        "Back up the NVRAM before the main board is exchanged (Board exchange).",
        "The print head cable (CN7) is a flat flexible cable: lift the latch first.",
        "The ILS option unit (CN9) is present only on printers that carry it."}}};
  for (const Manual& manual : manuals) {
    if (!WriteManual(folder + "/" + manual.file, manual)) ++failures;
  }
  if (!WriteIcon(folder)) ++failures;
  if (!preview.isEmpty()) failures += WritePreview(preview, manuals) ? 0 : 1;
  if (failures != 0) std::fprintf(stderr, "make-service-media: %d files failed\n", failures);
  return failures == 0 ? 0 : 1;
}
