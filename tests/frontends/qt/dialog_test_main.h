#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace vexa::testing {

// The QTest classes of the dialog tests register here, so one executable runs them all, or
// the one named on its command line.
using DialogTestFactory = std::function<std::unique_ptr<QObject>()>;
bool RegisterDialogTest(const char* name, DialogTestFactory factory);

}  // namespace vexa::testing

#define VEXA_DIALOG_TEST(Class)                          \
  [[maybe_unused]] static const bool Class##Registered = \
      ::vexa::testing::RegisterDialogTest(#Class, [] { return std::make_unique<Class>(); })
