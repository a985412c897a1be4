// The drawings: well-formed XML that shows the texts of the tree, laid out
// with the measurement's wrapping, and the same bytes for the same tree.
#include <expat.h>
#include <gtest/gtest.h>

#include <string>

#include "os/controls.h"
#include "os/menu.h"
#include "os/sim/desktop.h"
#include "os/status_bar.h"
#include "os/views.h"
#include "os/window.h"

namespace vyx::os::sim {
namespace {

struct Parsed {
  bool wellFormed = false;
  std::string error;
  std::string text;  // every text element's characters, one line each
  int elements = 0;
};

Parsed parse(const std::string& doc) {
  Parsed out;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, &out);
  XML_SetElementHandler(
      parser,
      [](void* data, const XML_Char*, const XML_Char**) { ++static_cast<Parsed*>(data)->elements; },
      [](void* data, const XML_Char* name) {
        if (std::string(name) == "text") static_cast<Parsed*>(data)->text += '\n';
      });
  XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* s, int len) {
    static_cast<Parsed*>(data)->text.append(s, static_cast<size_t>(len));
  });
  out.wellFormed = XML_Parse(parser, doc.data(), static_cast<int>(doc.size()), 1) == XML_STATUS_OK;
  if (!out.wellFormed) out.error = XML_ErrorString(XML_GetErrorCode(parser));
  XML_ParserFree(parser);
  return out;
}

size_t count(const std::string& haystack, const std::string& needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + 1)) {
    ++n;
  }
  return n;
}

TEST(UiSvg, WindowDrawingShowsTheTreesTextsAndIsStable) {
  Desktop desktop;
  View* label = nullptr;
  Target target;
  target.numberOfRows = [] { return int64_t{2}; };
  target.objectValue = [](std::string_view column, int64_t row) {
    return std::string(column) + "-" + std::to_string(row);
  };
  desktop.onMain([&] {
    Window* w = windowCreate({0, 0, 400, 300}, 11, kBackingStoreBuffered, false);
    windowSetTitle(w, "Исключения & <Vyx>");
    View* content = windowContentView(w);
    label = textFieldCreateLabel("aaaa aaaa");
    viewSetFrame(label, {10, 250, 46, 40});
    textFieldSetFont(label, {false, 10, FontWeight::semibold});
    textFieldSetLineBreakMode(label, LineBreakMode::wordWrapping);
    textFieldSetTextColor(label, Color::dynamic(SystemColor::secondaryLabel));
    View* field = textFieldCreate({10, 200, 200, 24});
    textFieldSetPlaceholderString(field, "слово \"в кавычках\"");
    View* button = buttonCreate({10, 160, 100, 28});
    buttonSetTitle(button, "Добавить");
    View* band = viewCreate({0, 100, 400, 50});
    viewSetGradientLayer(band,
                         {{0, 0, 400, 50}, {Color::sRGB(1, 0.72, 0.2, 0.22)}, {0.5, 1}, {0.5, 0}});
    View* scroll = scrollViewCreate({10, 10, 380, 80});
    View* table = tableViewCreate({0, 0, 380, 80});
    tableViewAddColumn(table, "app", "Программа", 200);
    tableViewSetDataSource(table, &target);
    tableViewReloadData(table);
    scrollViewSetDocumentView(scroll, table);
    for (View* v : {label, field, button, band, scroll}) viewAddSubview(content, v);
  });

  const std::string svg = desktop.windowSvg(0);
  const Parsed parsed = parse(svg);
  ASSERT_TRUE(parsed.wellFormed) << parsed.error << "\n" << svg;
  for (const char* text :
       {"Исключения & <Vyx>", "слово \"в кавычках\"", "Добавить", "Программа", "app-0", "app-1"}) {
    EXPECT_NE(parsed.text.find(text), std::string::npos) << text;
  }
  // The label wraps as it measures: 46 points hold one "aaaa" a line.
  EXPECT_EQ(count(parsed.text, "aaaa\n"), 2U);
  EXPECT_EQ(desktop.windowSvg(0), svg);

  desktop.onMain([&] { textFieldSetStringValue(label, "bb"); });
  const Parsed changed = parse(desktop.windowSvg(0));
  EXPECT_EQ(count(changed.text, "aaaa"), 0U);
  EXPECT_NE(changed.text.find("bb\n"), std::string::npos);
  EXPECT_EQ(desktop.windowSvg(7), "");
}

TEST(UiSvg, StatusMenuDrawingShowsItemsAndKeyEquivalents) {
  Desktop desktop;
  EXPECT_TRUE(parse(desktop.statusMenuSvg()).wellFormed);  // an empty menu bar
  Target target;
  target.actions["quitAction:"] = [] {};
  desktop.onMain([&] {
    StatusItem* item = statusBarCreateItem(kVariableStatusItemLength);
    statusItemSetTitle(item, "⚠︎");
    Menu* menu = menuCreate("");
    menuItemSetEnabled(menuAddItem(menu, "Нужен доступ Accessibility", "", ""), false);
    menuAddSeparator(menu);
    MenuItem* memo = menuAddItem(menu, "Памятка", "", "");
    menuItemSetSubmenu(memo, menuCreate("Памятка"));
    menuItemSetTarget(menuAddItem(menu, "Выйти", "quitAction:", "q"), &target);
    statusItemSetMenu(item, menu);
  });
  const std::string svg = desktop.statusMenuSvg();
  const Parsed parsed = parse(svg);
  ASSERT_TRUE(parsed.wellFormed) << parsed.error << "\n" << svg;
  for (const char* text :
       {"⚠︎\n", "Нужен доступ Accessibility\n", "Памятка\n", "Выйти\n", "⌘Q\n"}) {
    EXPECT_NE(parsed.text.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(desktop.statusMenuSvg(), svg);
}

}  // namespace
}  // namespace vyx::os::sim
