#include "StandinWindow.h"

#include "fakes/TempDir.h"

#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

namespace standin {
namespace {

TEST(StandinWindow, LogsEveryKeyDrivesTheTrainAndFollowsTheChosenLocomotive) {
    kordan::test::TempDir dir;
    StandinOptions options;
    options.prefix = dir.file("prefix");
    options.logFile = dir.file("keys.log");
    options.loco = findDemoLoco("BR 101");
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
    // Another choice shows in the list and drives another train.
    w.selectLoco(3);
    EXPECT_EQ(cbo->currentIndex(), 3);
    EXPECT_EQ(w.train().loco().name, "BR 218");
}

} // namespace
} // namespace standin
