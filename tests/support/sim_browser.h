#pragma once
// A browser on the in-memory platform, with a program folder at /opt/halvit/ that holds a
// Config folder and a start page, ready for a test to change and run.
#include <memory>
#include <string>

#include "app/browser.h"
#include "app/startup.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/sim_toolkit.h"
#include "platform/sim/sim_web_view.h"

namespace halvit::test {

inline const Text PROGRAM_DIR = u"/opt/halvit/";
inline const Text CONFIG_DIR = u"/opt/halvit/Config/";
inline const Text MISC_INI = u"/opt/halvit/Config/misc.ini";
inline const Text START_PAGE = u"/opt/halvit/start.html";

struct SimBrowser {
  sim::SimToolkit toolkit;
  sim::SimWebView web;
  sim::SimFiles files;
  sim::SimHost host;
  std::unique_ptr<Browser> browser;

  SimBrowser() {
    host.path = PROGRAM_DIR + u"halvit";
    files.putFolder(u"/opt/halvit/Config");
    files.put(START_PAGE, std::string(200, 'x'));
  }

  // A fresh Browser over the same platform, as a new process would be.
  Browser& fresh() {
    browser = std::make_unique<Browser>(Ports{toolkit, web, files, host});
    return *browser;
  }

  Browser& run(std::vector<Text> params = {}) {
    host.params = std::move(params);
    Browser& b = fresh();
    runBrowser(b);
    return b;
  }

  std::string misc() const { return files.bytes(MISC_INI).value_or("<missing>"); }
};

}  // namespace halvit::test
