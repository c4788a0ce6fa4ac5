#include "tests/frontends/qt/dialog_test_main.h"

#include <QApplication>
#include <QtTest>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace vexa::testing {

namespace {

std::map<std::string, DialogTestFactory>& Registry() {
  static std::map<std::string, DialogTestFactory> registry;
  return registry;
}

}  // namespace

bool RegisterDialogTest(const char* name, DialogTestFactory factory) {
  Registry()[name] = std::move(factory);
  return true;
}

}  // namespace vexa::testing

// Usage: vexa_dialog_tests [TestClass] [QTest options]
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::vector<char*> args(argv, argv + argc);
  std::string only;
  if (args.size() > 1 && args[1][0] != '-') {
    only = args[1];
    args.erase(args.begin() + 1);
  }
  int failures = 0;
  bool ran = false;
  for (const auto& [name, factory] : vexa::testing::Registry()) {
    if (!only.empty() && name != only) continue;
    ran = true;
    const std::unique_ptr<QObject> test = factory();
    failures += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
  }
  if (!ran) {
    qWarning("No dialog test class named %s", only.c_str());
    return 1;
  }
  return failures == 0 ? 0 : 1;
}
