#include "StandinWindow.h"

#include "common/TextFile.h"
#include "fakes/TempDir.h"
#include "sim/winereg/WineRegistry.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

namespace standin {
namespace {

namespace fs = std::filesystem;

struct WindowSetup {
    WindowSetup() {
        options.prefix = dir.file("prefix");
        options.logFile = dir.file("keys.log");
        options.loco = findDemoLoco("BR 101");
    }
    std::string currentTrain() const {
        auto bytes = kordan::readFileBytes(
            (options.prefix / "drive_c" / "Zusi" / "temp" / "aktuellerzug.txt").string(),
            kordan::kOwnFileLimit);
        return bytes ? *bytes : "";
    }
    kordan::test::TempDir dir;
    StandinOptions options;
};

TEST(StandinWindow, LogsEveryKeyAndDrivesTheTrain) {
    WindowSetup setup;
    StandinWindow w(setup.options);
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("Zusi")));
    QTest::keyPress(&w, Qt::Key_A);
    QTest::keyRelease(&w, Qt::Key_A);
    QTest::keyPress(&w, Qt::Key_A, Qt::NoModifier);
    QTest::keyRelease(&w, Qt::Key_A);
    QTest::keyPress(&w, Qt::Key_F2); // a key without a setting is logged all the same
    QTest::keyRelease(&w, Qt::Key_F2);
    EXPECT_EQ(w.train().notch(), 2);
    // Keys never reach its widgets.
    auto* cbo = w.findChild<QComboBox*>(QStringLiteral("cboLok"));
    const int before = cbo->currentIndex();
    QTest::keyClick(cbo, Qt::Key_Down);
    EXPECT_EQ(cbo->currentIndex(), before);
    EXPECT_EQ(setup.dir.read("keys.log"),
              "down 65\nup 65\ndown 65\nup 65\ndown 113\nup 113\ndown 40\nup 40\n");
}

TEST(StandinWindow, PublishesRegistryAndCurrentTrain) {
    WindowSetup setup;
    StandinWindow w(setup.options);
    EXPECT_EQ(setup.currentTrain(), "Loks\\Elektrisch\\BR 101.lok\r\n");
    auto reg = kordan::makeWineRegistry(setup.options.prefix / "user.reg");
    EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "T14"), "81");

    w.selectLoco(3);
    EXPECT_EQ(setup.currentTrain(), "Loks\\Diesel\\BR 218.lok\r\n");
    EXPECT_EQ(w.findChild<QComboBox*>(QStringLiteral("cboLok"))->currentIndex(), 3);
    EXPECT_EQ(w.train().loco().name, "BR 218");
}

} // namespace
} // namespace standin
