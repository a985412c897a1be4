// dictgen: compiles a word list into the image the program embeds, at build
// time, so that start-up does no parsing, stemming or tree building.
//
//   dictgen CODE LIST_TXT FORMS_TXT|- OUT_IMG
//
// The output depends on the inputs alone, so builds are reproducible.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "detect/dict.h"

namespace {

bool readFile(const char* path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: dictgen CODE LIST_TXT FORMS_TXT|- OUT_IMG\n");
    return 2;
  }
  std::string list;
  std::string forms;
  if (!readFile(argv[2], list) || (std::string_view(argv[3]) != "-" && !readFile(argv[3], forms))) {
    std::fprintf(stderr, "dictgen: cannot read %s or %s\n", argv[2], argv[3]);
    return 1;
  }
  const vyx::Result<vyx::DictSource> source = vyx::parseDictSource(argv[1], list, forms);
  if (!source) {
    std::fprintf(stderr, "dictgen: %s: %s\n", argv[2], source.error().message().c_str());
    return 1;
  }
  const std::vector<uint8_t> image = vyx::layOutDictImage(vyx::compileDict(*source));
  const std::string tmp = std::string(argv[4]) + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "dictgen: cannot write %s\n", tmp.c_str());
      return 1;
    }
  }
  if (std::rename(tmp.c_str(), argv[4]) != 0) {
    std::perror("dictgen: rename");
    return 1;
  }
  return 0;
}
