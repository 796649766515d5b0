#pragma once

#include <QImage>
#include <QString>

class QPainter;

namespace kordan {

struct Sheet;

// Draws the assignment sheet on a page of A4 proportions filling `width` x `height` device
// units of `painter`; everything is scaled down until it fits on that one page.
void paintSheet(QPainter& painter, int width, int height, const Sheet& sheet);

// One A4 page; false when the file cannot be written.
bool writeSheetPdf(const Sheet& sheet, const QString& path);

// The same page as a picture, `width` pixels wide.
QImage sheetImage(const Sheet& sheet, int width);

// `kordan --sheet PROFILE OUT`: loads the profile (its axis files from `programDir`, or from
// the profile's own directory when that is "") and writes its sheet. Messages go to standard
// error. 0 when written, 1 when the profile did not load or the file could not be written.
// Needs a QGuiApplication.
int runSheetCommand(const std::string& profile, const std::string& out,
                    const std::string& programDir);

} // namespace kordan
