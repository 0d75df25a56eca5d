#include <gtest/gtest.h>

#include "ui/Forms.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  brevlo::ui::TApplication application;
  application.Initialize();
  return RUN_ALL_TESTS();
}
