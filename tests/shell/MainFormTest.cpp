#include "shell/MainForm.h"

#include <gtest/gtest.h>

TEST(MainForm, StartsUntitled) {
    TMainForm form;
    EXPECT_EQ(form.windowTitle(), "Tessivar - Untitled");
}
