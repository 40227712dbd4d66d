#include "disc_options.h"

namespace {

// Characters of a UTF-8 text: every byte that does not continue a sequence.
size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

} // namespace

bool ParseDiscOptions(const std::vector<std::string>& args, TDiscOptions& options, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
            return true;
        }
        if (arg == "--verbose") {
            options.Verbose = true;
            continue;
        }
        std::string* target = arg == "--iso" ? &options.IsoFile
                              : arg == "--title" ? &options.Title
                              : arg == "--base" ? &options.BaseDir
                              : arg == "--viewer" ? &options.Viewer
                              : nullptr;
        std::string album;
        if (arg == "--album") target = &album;
        if (!target) {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "option '" + arg + "' needs a value";
            return false;
        }
        *target = args[++i];
        if (target == &album) options.Albums.push_back(album);
    }
    if (options.IsoFile.empty()) {
        error = "the image file is missing: give --iso FILE";
        return false;
    }
    if (CharacterCount(options.Title) > kMaxTitleCharacters) {
        error = "the title has more than 32 characters";
        return false;
    }
    return true;
}

std::string DiscUsageText() {
    return "Usage: fotolark-disc --iso FILE [--title TEXT] [--album TITLE]... [--base DIR]\n"
           "                     [--viewer FILE] [--verbose]\n"
           "\n"
           "Writes Fotolark albums, their photos and thumbnails, the album viewer, an autorun\n"
           "file and the album catalogue into an ISO 9660 + Joliet image file, exactly as the\n"
           "\"Create a CD\" window does when it writes to an image file.\n"
           "\n"
           "  --iso FILE       the image file to write (an existing file is replaced)\n"
           "  --title TEXT     the disc title, at most 32 characters (default: none; the\n"
           "                   volume is then named \"Fotolark\")\n"
           "  --album TITLE    put the album with this title on the disc; repeat it for more\n"
           "                   albums, in the order wanted (default: every album, in saved order)\n"
           "  --base DIR       the Fotolark base folder holding Albums/ and Images/\n"
           "                   (default: the base folder of Fotolark's settings)\n"
           "  --viewer FILE    the album viewer to place on the disc (default: the\n"
           "                   Diorama.exe installed with Fotolark)\n"
           "  --verbose        list every file as it is added, and the disc component's trace\n"
           "  --help           show this text\n"
           "\n"
           "Exit status: 0 when the image was written, 1 when the job failed (the reason is\n"
           "printed), 2 for a usage error.\n";
}
