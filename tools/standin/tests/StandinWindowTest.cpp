#include "StandinWindow.h"

#include "common/TextFile.h"
#include "fakes/TempDir.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

namespace standin {
namespace {

namespace fs = std::filesystem;

TEST(StandinWindow, LogsEveryKeyDrivesTheTrainAndPublishesItsLocomotive) {
    kordan::test::TempDir dir;
    StandinOptions options;
    options.prefix = dir.file("prefix");
    options.logFile = dir.file("keys.log");
    options.loco = findDemoLoco("BR 101");
    const auto currentTrain = [&] {
        const fs::path file = options.prefix / "drive_c" / "Zusi" / "temp" / "aktuellerzug.txt";
        return kordan::readFileBytes(file.string(), kordan::kOwnFileLimit).value_or("");
    };
    StandinWindow w(options);
    QTest::keyPress(&w, Qt::Key_A);
    QTest::keyRelease(&w, Qt::Key_A);
    QTest::keyPress(&w, Qt::Key_F2); // a key without a setting is logged all the same
    QTest::keyRelease(&w, Qt::Key_F2);
    EXPECT_EQ(w.train().notch(), 1);
    // Keys never reach its widgets.
    auto* cbo = w.findChild<QComboBox*>(QStringLiteral("cboLok"));
    const int before = cbo->currentIndex();
    QTest::keyClick(cbo, Qt::Key_Down);
    EXPECT_EQ(cbo->currentIndex(), before);
    EXPECT_EQ(dir.read("keys.log"), "down 65\nup 65\ndown 113\nup 113\ndown 40\nup 40\n");
    // It published its locomotive and follows another choice.
    EXPECT_TRUE(fs::exists(options.prefix / "user.reg"));
    EXPECT_EQ(currentTrain(), "Loks\\Elektrisch\\BR 101.lok\r\n");
    w.selectLoco(3);
    EXPECT_EQ(std::tuple(currentTrain(), cbo->currentIndex(), w.train().loco().name),
              std::tuple("Loks\\Diesel\\BR 218.lok\r\n", 3, "BR 218"));
}

} // namespace
} // namespace standin
