#include "disc_options.h"

#include "disc_content.h"

namespace {

// Characters of a UTF-8 text: every byte that does not continue a sequence.
size_t CharacterCount(const std::string& text) {
    size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

} // namespace

char DriveLetterOf(const std::string& drive) {
    const std::string node = "/dev/sr";
    if (drive.rfind(node, 0) == 0) {
        const std::string number = drive.substr(node.size());
        if (number.empty() || number.size() > 2 || number.find_first_not_of("0123456789") != std::string::npos)
            return 0;
        const int index = std::stoi(number);
        return index <= 'Z' - 'D' ? static_cast<char>('D' + index) : 0;
    }
    if (drive.empty() || drive.size() > 2 || (drive.size() == 2 && drive[1] != ':')) return 0;
    const char letter = static_cast<char>(toupper(static_cast<unsigned char>(drive[0])));
    return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

bool ParseDiscOptions(const std::vector<std::string>& args, TDiscOptions& options, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
            return true;
        }
        if (arg == "--version") {
            options.Version = true;
            return true;
        }
        bool* flag = arg == "--verbose"       ? &options.Verbose
                     : arg == "--test-write"  ? &options.TestWrite
                     : arg == "--list-drives" ? &options.ListDrives
                                              : nullptr;
        if (flag) {
            *flag = true;
            continue;
        }
        if (arg == "--verify" || arg == "--no-verify") {
            options.Verify = arg == "--verify";
            continue;
        }
        if (arg == "--no-web") {
            options.WebPages = false;
            continue;
        }
        if (arg == "--drive") {
            if (i + 1 >= args.size()) {
                error = "option '--drive' needs a value";
                return false;
            }
            options.DriveLetter = DriveLetterOf(args[++i]);
            if (!options.DriveLetter) {
                error = "'" + args[i] + "' is no drive: give a letter such as E or a node such as /dev/sr1";
                return false;
            }
            continue;
        }
        std::string* target = arg == "--iso" ? &options.IsoFile
                              : arg == "--title" ? &options.Title
                              : arg == "--base" ? &options.BaseDir
                              : arg == "--viewer" ? &options.Viewer
                              : arg == "--compare" ? &options.Compare
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
    if (options.ListDrives) return true;
    if (!options.Compare.empty()) {
        if (!options.IsoFile.empty() || options.DriveLetter || options.TestWrite) {
            error = "--compare cannot be combined with --iso, --drive or --test-write";
            return false;
        }
        return true;
    }
    if (options.IsoFile.empty() == !options.DriveLetter) {
        error = options.IsoFile.empty() ? "the image file is missing: give --iso FILE"
                                        : "give either --iso FILE or --drive LETTER, not both";
        return false;
    }
    if (options.TestWrite && !options.DriveLetter) {
        error = "--test-write needs --drive LETTER";
        return false;
    }
    if (CharacterCount(options.Title) > kMaxTitleCharacters) {
        error = "the title has more than 32 characters";
        return false;
    }
    if (HasControlCharacters(options.Title)) {
        error = "the title holds a control character, such as a line break";
        return false;
    }
    return true;
}

std::string DiscUsageText() {
    return "Usage: fotolark-disc --iso FILE [--title TEXT] [--album TITLE]... [--base DIR]\n"
           "                     [--viewer FILE] [--no-web] [--verbose]\n"
           "                     [--verify | --no-verify]\n"
           "       fotolark-disc --drive LETTER [--test-write] [the same options]\n"
           "       fotolark-disc --compare DRIVE|FILE [--base DIR] [--verbose]\n"
           "       fotolark-disc --list-drives\n"
           "\n"
           "Writes Fotolark albums, their photos and thumbnails, the album viewer, an autorun\n"
           "file and the album catalogue into an ISO 9660 + Joliet image file, or onto the\n"
           "disc in a CD/DVD recorder, exactly as the \"Create a CD\" window does, with web\n"
           "pages (index.html and Web/) that show the albums in any browser.\n"
           "\n"
           "  --iso FILE       the image file to write (an existing file is replaced; never a\n"
           "                   file the disc is made from, nor one in Albums/ or Images/)\n"
           "  --drive LETTER   the recorder to write to: a drive letter (D is /dev/sr0, E is\n"
           "                   /dev/sr1, ...) or its device node; the disc is ejected at the end\n"
           "  --test-write     with --drive: a test write, which records nothing\n"
           "  --verify         read back what was written and compare it (the default)\n"
           "  --no-verify      do not read back what was written\n"
           "  --list-drives    list the CD/DVD drives and what each can write\n"
           "  --compare DRIVE|FILE\n"
           "                   check a Fotolark disc (a drive letter or node such as /dev/sr0) or\n"
           "                   image file against the albums: per album, which photos are\n"
           "                   equal, different, unreadable, missing from the disc or missing\n"
           "                   from the albums (--verbose lists the equal ones too)\n"
           "  --title TEXT     the disc title, at most 32 characters (default: none; the\n"
           "                   volume is then named \"Fotolark\")\n"
           "  --album TITLE    put the album with this title on the disc; repeat it for more\n"
           "                   albums, in the order wanted (default: every album, in saved order)\n"
           "  --base DIR       the Fotolark base folder holding Albums/ and Images/\n"
           "                   (default: the base folder of Fotolark's settings)\n"
           "  --viewer FILE    the album viewer to place on the disc, where it is always\n"
           "                   called Diorama.exe (default: the one installed with Fotolark)\n"
           "  --no-web         leave the web pages off the disc\n"
           "  --verbose        list every file as it is added, and the disc component's trace\n"
           "                   (files left off the disc are always listed)\n"
           "  --help           show this text\n"
           "  --version        show the version\n"
           "\n"
           "Ctrl-C aborts a job. While the recorder keeps a job waiting for more than 10 seconds,\n"
           "a line \"waiting for the drive, N s\" follows every 30 seconds; while the disc is\n"
           "being finalized, a first Ctrl-C only warns and a second one aborts.\n"
           "\n"
           "Exit status: 0 when the image or disc was written, 1 when the job failed (the reason\n"
           "is printed), 2 for a usage error or an image file that would overwrite an input.\n"
           "With --compare: 0 when everything on the disc matches the albums, 1 when not or when\n"
           "the disc cannot be read.\n";
}
