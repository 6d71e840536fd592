// mkpayload: appends the payload to the wizard's image and writes the setup file.
//   mkpayload --image IMG --standins DIR --fonts DIR --out SETUP.exe
//   mkpayload --image IMG --synthetic --out SETUP.exe
//   mkpayload --image IMG --members DIR --out SETUP.exe
//   mkpayload --standins DIR --fonts DIR --write-members DIR
//   mkpayload --verify SETUP.exe     (checks a finished setup file as the wizard does)
//   mkpayload --list-font-parts      (number, length and file name of each font part)
// --standins holds gui_program.exe, library.dll and console_program.exe (tools/standins),
// --fonts the three font parts named as they are installed (make_fonts.py).
// --members holds the product's nine files under their installed names (the
// font bundle may be its three fonts instead); --write-members writes the demo
// payload's members as such a folder, to rehearse a release without them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "payload/layout.h"
#include "members.h"
#include "payload_builder.h"
#include "verify.h"

namespace {

using namespace velkor::mkpayload;

// The image is the wizard's code and resources: a few MiB. Anything near this
// size is not an image.
constexpr std::size_t kImageLimit = 512u << 20;

int usage() {
  std::fputs(
      "usage: mkpayload --image IMG --standins DIR --fonts DIR --out SETUP.exe\n"
      "       mkpayload --image IMG --synthetic --out SETUP.exe\n"
      "       mkpayload --image IMG --members DIR --out SETUP.exe\n"
      "       mkpayload --standins DIR --fonts DIR --write-members DIR\n"
      "       mkpayload --verify SETUP.exe\n"
      "       mkpayload --list-font-parts\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string image, standins, fonts, out, members, writeMembersTo, verify;
  bool synthetic = false, listFontParts = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    bool ok = true;
    if (arg == "--image") ok = value(image);
    else if (arg == "--standins") ok = value(standins);
    else if (arg == "--fonts") ok = value(fonts);
    else if (arg == "--out") ok = value(out);
    else if (arg == "--members") ok = value(members);
    else if (arg == "--write-members") ok = value(writeMembersTo);
    else if (arg == "--synthetic") synthetic = true;
    else if (arg == "--list-font-parts") listFontParts = true;
    else if (arg == "--verify") ok = value(verify);
    else ok = false;
    if (!ok) return usage();
  }
  try {
    if (listFontParts) {
      for (const auto& part : velkor::payload::kFontParts)
        std::printf("%d %u %s\n", part.number, part.length, narrow(part.fileName).c_str());
      return 0;
    }
    if (!verify.empty()) {
      if (!image.empty() || !out.empty() || synthetic || !standins.empty() || !fonts.empty() || !members.empty() ||
          !writeMembersTo.empty())
        return usage();
      return verifySetupFile(verify, stdout, stderr);
    }
    const bool demo = !standins.empty() && !fonts.empty();
    if (standins.empty() != fonts.empty() || synthetic + demo + !members.empty() != 1) return usage();
    if (!writeMembersTo.empty()) {
      if (!demo || !image.empty() || !out.empty()) return usage();
      writeMembers(buildDemoPayload(standins, fonts), writeMembersTo);
      return 0;
    }
    if (image.empty() || out.empty()) return usage();

    std::vector<unsigned char> imageBytes = readFile(image, kImageLimit, "image");
    const std::vector<unsigned char> payload = synthetic ? buildSyntheticPayload()
                                               : demo    ? buildDemoPayload(standins, fonts)
                                                         : buildPayloadFromMembers(members);
    writeSetupFile(std::move(imageBytes), payload, out);
    return 0;
  } catch (const std::exception& e) {
    // One line per problem (a members folder may have several).
    const std::string message = e.what();
    for (std::size_t at = 0; at <= message.size();) {
      const std::size_t end = std::min(message.find('\n', at), message.size());
      std::fprintf(stderr, "mkpayload: error: %s\n", message.substr(at, end - at).c_str());
      at = end + 1;
    }
    return 1;
  }
}
