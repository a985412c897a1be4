// The control socket: a driver in another thread types, reads back the
// screen and operates the desktop through the protocol, as the end-to-end
// tests do from another process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "os/sim/control/client.h"
#include "os/sim/control/server.h"
#include "os/sim/desktop.h"
#include "os/views.h"
#include "os/window.h"

namespace vyx::os::sim {
namespace {

std::string socketPath() {
  return "/tmp/vyx-ctl-" + std::to_string(::getpid()) + ".sock";
}

class ControlSocket : public ::testing::Test {
 protected:
  ControlSocket() {
    auto started = ControlServer::start(desktop, socketPath());
    if (!started.ok()) ADD_FAILURE() << started.error().message();
    if (started.ok()) server = std::move(started.value());
  }
  Desktop desktop;
  std::unique_ptr<ControlServer> server;
};

TEST_F(ControlSocket, DriverTypesAndReadsTheScreen) {
  auto client = DesktopClient::connect(socketPath(), std::chrono::seconds(2));
  EXPECT_EQ(client.call("hello").at("version"), kControlProtocolVersion);
  EXPECT_EQ(client.typeAsPerson("привет мир", {std::chrono::milliseconds(0)}), "");
  ASSERT_TRUE(client.waitIdle(std::chrono::seconds(5), std::chrono::milliseconds(20)));
  // Without the program nothing corrects: the person forgot to switch.
  EXPECT_EQ(client.text("com.apple.TextEdit"), "ghbdtn vbh");
  EXPECT_EQ(client.currentInputSource(), "com.apple.keylayout.US");

  const std::vector<PasteboardItemContent> items{
      {{{"public.png", Bytes{0x89, 'P', 'N', 'G'}}, {"public.tiff", std::nullopt}}},
      {{{"public.utf8-plain-text", Bytes{'h', 'i'}}}}};
  client.setPasteboard(items);
  const auto back = client.pasteboard();
  ASSERT_EQ(back.size(), 2U);
  EXPECT_EQ(back[0].types, items[0].types);
  EXPECT_EQ(back[1].types, items[1].types);

  client.addApp("com.apple.Notes");
  client.activate("com.apple.Notes");
  EXPECT_EQ(client.frontmost(), "com.apple.Notes");
}

TEST_F(ControlSocket, WindowsCrossTheSocketWhole) {
  desktop.onMain([] {
    Window* w =
        windowCreate({0, 0, 300, 200}, kWindowStyleMaskTitled, kBackingStoreBuffered, false);
    windowSetTitle(w, "Окно");
    View* label = textFieldCreateLabel("Привет\nмир");
    textFieldSetFont(label, {false, 13.5, FontWeight::semibold});
    textFieldSetTextColor(label, Color::dynamic(SystemColor::secondaryLabel).withAlpha(0.5));
    viewSetFrame(label, {10, 20, 200, 40});
    viewAddSubview(windowContentView(w), label);
    View* box = viewCreate({5, 5, 50, 50});
    viewSetWantsLayer(box, true);
    viewLayerSetBackgroundColor(box, Color::sRGB(1, 0.72, 0.2, 0.22));
    viewAddSubview(windowContentView(w), box);
    windowMakeKeyAndOrderFront(w);
  });
  auto client = DesktopClient::connect(socketPath(), std::chrono::seconds(2));
  // What the driver reads back is what the desktop holds, field for field.
  EXPECT_EQ(Json(client.windows()), Json(desktop.windows()));
  EXPECT_EQ(client.windows().at(0).content.children.at(0).text, "Привет\nмир");
}

TEST_F(ControlSocket, RefusesWhatItCannotDo) {
  auto client = DesktopClient::connect(socketPath(), std::chrono::seconds(2));
  EXPECT_THROW(client.call("noSuchOp"), ControlError);
  EXPECT_THROW(client.call("press", {{"keycode", "not a number"}}), ControlError);
  EXPECT_EQ(ControlServer::handle(desktop, Json{{"v", 99}, {"op", "hello"}}).at("ok"), false);
  // The connection survives refused requests.
  EXPECT_EQ(client.call("hello").at("ok"), true);
}

}  // namespace
}  // namespace vyx::os::sim
