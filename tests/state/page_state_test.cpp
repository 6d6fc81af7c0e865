#include "state/page_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace halvit {
namespace {

// Another thread copying the address and the source while the UI thread assigns them sees
// each text whole: the old one or the new one, never a mixture.
TEST(PageState, ReadersOnOtherThreadsSeeWholeTexts) {
  PageState page;
  const Text a(4096, u'a'), b(8192, u'b');
  page.setCurrentUrl(a);
  page.setPageSource(a);
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done) {
      for (const Text& seen : {page.currentUrl(), page.pageSource()})
        if (seen != a && seen != b) ++torn;
    }
  });
  for (int i = 0; i < 2000; ++i) {
    page.setCurrentUrl(i % 2 ? a : b);
    page.setPageSource(i % 2 ? b : a);
  }
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace halvit
