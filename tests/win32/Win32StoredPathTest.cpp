#include "axis/StoredFiles.h"

#include <gtest/gtest.h>

// The directory given with "/", the dialog's answer with "\" and in another case.
TEST(Win32StoredPath, AFileChosenInsideTheProgramsDirectoryIsStoredRelative) {
    for (auto [chosen, stored] : {std::pair{"C:\\Kordan\\Achsen\\Lok.axr", "Achsen\\Lok.axr"},
                                  {"c:\\kordan\\Lok.axr", "Lok.axr"},
                                  {"C:\\KordanX\\Lok.axr", "C:\\KordanX\\Lok.axr"}})
        EXPECT_EQ(kordan::storedPath("C:/Kordan", chosen), stored) << chosen;
}
