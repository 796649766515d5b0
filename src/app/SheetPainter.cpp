#include "app/SheetPainter.h"

#include "app/ResultMessages.h"
#include "app/Sheet.h"
#include "common/TextFile.h"
#include "profile/ZusiProfile.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace kordan {

namespace {

// The page in tenths of a point (A4), so that whole-number font sizes are fine enough.
constexpr int kPageWidth = 5950, kPageHeight = 8420, kMargin = 400;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QFont sized(int pixels, bool bold = false) {
    QFont f;
    f.setPixelSize(std::max(1, pixels));
    f.setBold(bold);
    // Without ligatures the PDF's text is the profile's text: "ff" stays two letters when
    // copied or searched.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

// The controller's picture scaled into `area`; returns the height it took.
int paintPicture(QPainter& p, const QRect& area, const Sheet& sheet) {
    const double scale = std::min(double(area.width()) / sheet.pictureWidth,
                                  double(area.height()) / sheet.pictureHeight);
    auto rect = [&](const Sheet::Field& f) {
        return QRectF(area.left() + f.left * scale, area.top() + f.top * scale, f.width * scale,
                      f.height * scale);
    };
    for (const auto& f : sheet.picture) {
        const QRectF r = rect(f);
        if (f.kind == Sheet::Field::Kind::Caption) {
            p.setFont(sized(int(150 * scale)));
            p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, q(f.text));
            continue;
        }
        p.setPen(QPen(Qt::black, f.assigned ? 12 : 4));
        p.setBrush(f.assigned ? QColor(225, 225, 225) : Qt::white);
        p.drawRect(r);
        p.setFont(sized(int(std::min(f.height, 285) * 0.6 * scale), f.assigned));
        p.drawText(r, Qt::AlignCenter, q(f.text));
    }
    return int(sheet.pictureHeight * scale);
}

// Nobody to ask on the command line: messages are printed, questions take their default.
class PrintingDialogs : public WordingDialogs {
public:
    MsgAnswer message(const std::string& text, MsgButtons buttons, MsgIcon,
                      const std::string&) override {
        std::fprintf(stderr, "kordan: %s\n", printableText(text).c_str());
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    FileChoice openFile(const std::string&, const std::string&) override { return {}; }
    FileChoice saveFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};

} // namespace

void paintSheet(QPainter& p, int width, int height, const Sheet& sheet) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(0, 0, width, height, Qt::white);
    // Logical page coordinates, kept in proportion whatever the device's size.
    const double fit = std::min(double(width) / kPageWidth, double(height) / kPageHeight);
    p.scale(fit, fit);
    const int inner = kPageWidth - 2 * kMargin;
    int y = kMargin;
    p.setPen(Qt::black);
    p.setFont(sized(180, true));
    p.drawText(QRect(kMargin, y, inner, 260), Qt::AlignLeft | Qt::AlignTop, q(sheet.title));
    y += 340;
    y += paintPicture(p, QRect(kMargin, y, inner, 1800), sheet) + 200;

    // The lists share what is left of the page; a long one makes all lines smaller.
    int zones = 0;
    for (const auto& l : sheet.levers)
        zones += int(l.zones.size());
    const int lines = int(sheet.buttons.size() + 1) / 2 + int(sheet.levers.size()) + zones + 4;
    const int line = std::clamp((kPageHeight - kMargin - y) / std::max(lines, 1), 8, 130);
    const QFont text = sized(line * 3 / 4), bold = sized(line * 3 / 4, true);
    auto write = [&](int x, int w, const std::string& s) {
        p.drawText(QRect(x, y, w, line), Qt::AlignLeft | Qt::AlignVCenter, q(s));
    };

    p.setPen(Qt::black);
    p.setFont(bold);
    write(kMargin, inner, "Knöpfe");
    y += line;
    p.setFont(text);
    const int half = inner / 2, rows = int(sheet.buttons.size() + 1) / 2;
    for (int i = 0; i < int(sheet.buttons.size()); ++i) {
        const auto& b = sheet.buttons[size_t(i)];
        const int x = kMargin + (i < rows ? 0 : half), row = i < rows ? i : i - rows;
        const int keep = y;
        y += row * line;
        write(x, line * 3, std::to_string(b.number));
        write(x + line * 3, half - line * 3 - 60, b.text);
        y = keep;
    }
    y += rows * line + line;

    p.setFont(bold);
    write(kMargin, inner, "Hebel");
    y += line;
    for (const auto& l : sheet.levers) {
        p.setFont(bold);
        write(kMargin, inner, l.caption);
        y += line;
        p.setFont(text);
        for (const auto& z : l.zones) {
            const int range = line * 5, label = inner * 3 / 10;
            write(kMargin + line, range, z.range);
            write(kMargin + line + range, label - 40, z.label);
            write(kMargin + line + range + label, inner - line - range - label, z.command);
            y += line;
        }
    }
    p.restore();
}

bool writeSheetPdf(const Sheet& sheet, const QString& path) {
    // QPdfWriter does not tell when it cannot write: the file is tried first.
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            return false;
    }
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(q(sheet.title));
    pdf.setCreator(QStringLiteral("Kordan für Zusi"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    paintSheet(painter, pdf.width(), pdf.height(), sheet);
    return painter.end();
}

int runSheetCommand(const std::string& profile, const std::string& out,
                    const std::string& programDir) {
    PrintingDialogs dialogs;
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(profile, ec);
    ZusiProfile p(dialogs, programDir.empty() ? path.parent_path().string() : programDir);
    switch (p.load(path.string())) {
    case LoadResult::Loaded:
        break;
    case LoadResult::NotFound:
        dialogs.message("Konfiguration " + profile + " nicht gefunden.", MsgButtons::Ok,
                        MsgIcon::Information, {});
        return 1;
    default:
        return 1; // the profile said why
    }
    if (writeSheetPdf(buildSheet(p), QString::fromStdString(out)))
        return 0;
    dialogs.message(out + " kann nicht geschrieben werden", MsgButtons::Ok, MsgIcon::None, {});
    return 1;
}

QImage sheetImage(const Sheet& sheet, int width) {
    QImage image(width, width * kPageHeight / kPageWidth, QImage::Format_RGB32);
    QPainter painter(&image);
    paintSheet(painter, image.width(), image.height(), sheet);
    return image;
}

} // namespace kordan
