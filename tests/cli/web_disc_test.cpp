// The web pages of an image written by fotolark-disc, read back as a user reads them: the
// Joliet tree extracted by the public readers, every link followed, and the pages opened in
// a real browser (Debian's chromium, headless).
#include "disc_tool_fixture.h"

#include "jpeg_io.h"
#include "thumbnailer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <regex>
#include <set>

using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

// A picture to look at: sky, sun and hills, tinted by `seed`.
TBitmap32 Landscape(int width, int height, int seed) {
    TBitmap32 picture(width, height);
    const double sunX = width * (0.25 + 0.1 * (seed % 5)), sunY = height * 0.3, sunR = height * 0.09;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double hill = height * (0.62 + 0.08 * std::sin((x + seed * 97) * 0.012));
            unsigned r = 90 + 80 * y / height, g = 150 + 60 * y / height, b = 235 - 30 * y / height;
            if (std::hypot(x - sunX, y - sunY) < sunR) r = 255, g = 220, b = 120;
            if (y > hill) r = 60 + seed * 25 % 80, g = 130 + (y - static_cast<int>(hill)) % 40, b = 70;
            picture.SetPixel(x, y, Color32(r, g, b));
        }
    }
    return picture;
}

std::string PercentDecoded(const std::string& link) {
    std::string text;
    for (size_t i = 0; i < link.size(); ++i) {
        if (link[i] == '%' && i + 2 < link.size() && std::isxdigit(static_cast<unsigned char>(link[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(link[i + 2]))) {
            text += static_cast<char>(std::stoi(link.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            text += link[i];
        }
    }
    return text;
}

std::vector<std::string> LinksOf(const std::string& page) {
    static const std::regex link("(?:href|src)=\"([^\"]*)\"");
    std::vector<std::string> links;
    for (std::sregex_iterator m(page.begin(), page.end(), link), end; m != end; ++m) links.push_back((*m)[1].str());
    return links;
}

class WebDiscTest : public TDiscToolFixture {
protected:
    const std::string LongName = std::string(130, 'n') + ".jpg";  // too long for the disc tree

    // Three albums of real JPEG photos and thumbnails, with names and texts that need care.
    void SetUp() override {
        fs::create_directories(Temp);
        // A viewer of 1 MB, so that the volume is larger than the 300 sectors every image has.
        Viewer = Scratch.Write("Diorama.exe", PatternBytes(1 << 20, 7));
        AddAlbum("Picnic & <Friends>", 0,
                 {{"2004061200001.jpg", "<script>alert(1)</script>", {"First line", "second <line> & more"}},
                  {"a b#1.jpg", "Käse & Brot", {}},
                  {LongName, "Left off the disc", {}},
                  {"100%.jpg", "", {"Only notes, no caption."}},
                  {"Käse?.jpg", "A long caption that goes on to show how a caption wraps below its thumbnail", {}},
                  {"portrait.jpg", "Evening", {}}});
        AddAlbum("Garden", 1, {{"c.jpg", "Roses", {}}, {"2004061200001.jpg", "Shared with the picnic", {}}});
        AddAlbum("Empty", 2, {});
    }

    struct TPhotoSpec {
        std::string Name, Caption;
        std::vector<std::string> Notes;
    };

    void AddAlbum(const std::string& title, int position, const std::vector<TPhotoSpec>& photos) {
        TAlbum album;
        album.Title = title;
        album.Position = position;
        album.AlbumFile = "album" + std::to_string(position) + ".alb";
        for (const TPhotoSpec& spec : photos) {
            auto* photo = new TPhoto;
            photo->FileName = spec.Name;
            photo->Caption = spec.Caption;
            photo->SetNotes(spec.Notes);
            const bool portrait = spec.Name == "portrait.jpg";
            const TBitmap32 picture = Landscape(portrait ? 600 : 800, portrait ? 800 : 600, static_cast<int>(spec.Name.size()));
            photo->ImageSize = static_cast<int32_t>(WriteJpegFile(picture, Albums.Folders.ImageDir + spec.Name, 85));
            photo->ThumbSize = static_cast<int32_t>(WriteThumbnailFile(picture, Albums.Folders.ThumbDir + spec.Name));
            album.AddPhoto(photo);
        }
        album.SaveToFile(Albums.Folders.AlbumDir + album.AlbumFile);
    }

    TCommandResult Run(const std::string& arguments) {
        return RunCommand("TMPDIR=" + Quote(Temp) + " " + Quote(FOTOLARK_DISC) + " --iso " + Quote(Iso) + " --base " +
                          Quote(Scratch.Path() + "/base") + " --viewer " + Quote(Viewer) + " " + arguments);
    }

    std::string ExtractWithBsdtar(const std::string& name) {
        const std::string out = Scratch.Path() + "/" + name;
        fs::create_directories(out);
        const TCommandResult run = RunCommand("bsdtar -xf " + Quote(Iso) + " -C " + Quote(out));
        EXPECT_EQ(run.Status, 0) << run.Output;
        return out;
    }

    // Follows every link of every page from index.html; every target must be a file of the
    // extracted tree, and every page of the tree must be reached. The pictures linked.
    std::set<std::string> WalkLinks(const std::string& root) {
        std::set<std::string> pages, pictures;
        std::deque<fs::path> queue{fs::path(root) / "index.html"};
        while (!queue.empty()) {
            const fs::path page = queue.front();
            queue.pop_front();
            if (!pages.insert(page.lexically_relative(root).string()).second) continue;
            for (const std::string& link : LinksOf(ReadBytes(page.string()))) {
                SCOPED_TRACE(page.string() + " links " + link);
                EXPECT_EQ(link.find(':'), std::string::npos) << "a link that leaves the disc";
                EXPECT_FALSE(link.starts_with("/"));
                const fs::path target = (page.parent_path() / PercentDecoded(link)).lexically_normal();
                const std::string relative = target.lexically_relative(root).string();
                EXPECT_FALSE(relative.starts_with("..")) << "outside the disc";
                EXPECT_TRUE(fs::is_regular_file(target)) << "missing";
                if (target.extension() == ".html") queue.push_back(target);
                else if (!relative.starts_with("Web/")) pictures.insert(relative);
            }
        }
        std::set<std::string> every;
        for (const auto& file : fs::recursive_directory_iterator(root))
            if (file.path().extension() == ".html") every.insert(file.path().lexically_relative(root).string());
        EXPECT_EQ(pages, every) << "pages no link reaches";
        return pictures;
    }

    // The volume space size of the primary volume descriptor.
    int64_t VolumeSectors() const { return Little32(SectorOf(ReadBytes(Iso), 16), 80); }

    std::string Browser(const std::string& arguments, const std::string& page) {
        const TCommandResult run =
            RunCommand("{ chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir=" +
                       Quote(Scratch.Path() + "/browser") + " " + arguments + " " + Quote("file://" + page) +
                       " 2>/dev/null; }");
        EXPECT_EQ(run.Status, 0) << run.Output;
        return run.Output;
    }
};

TEST_F(WebDiscTest, EveryLinkOfEveryPageFindsItsFileOnTheDisc) {
    const TCommandResult run = Run("--title 'Summer 2004'");
    ASSERT_EQ(run.Status, 0) << run.Output;
    for (const std::string& root : {ExtractTree(Iso, "norock", "xorriso"), ExtractWithBsdtar("bsdtar")}) {
        SCOPED_TRACE(root);
        const std::set<std::string> pictures = WalkLinks(root);
        // Every photo on the disc is shown, with its thumbnail; the one the tree left off is not.
        std::set<std::string> onDisc;
        for (const char* folder : {"Images", "Thumbs"})
            for (const auto& file : fs::directory_iterator(root + "/" + folder))
                onDisc.insert(std::string(folder) + "/" + file.path().filename().string());
        EXPECT_EQ(pictures, onDisc);
        EXPECT_EQ(onDisc.size(), 2u * 6);
        EXPECT_FALSE(onDisc.count("Images/" + LongName));
    }
}

TEST_F(WebDiscTest, ABrowserShowsAlbumsThumbnailsCaptionsAndNotes) {
    ASSERT_EQ(Run("--title 'Summer 2004'").Status, 0);
    const std::string root = ExtractWithBsdtar("disc");

    const std::string index = Browser("--dump-dom", root + "/index.html");
    EXPECT_THAT(index, HasSubstr("<title>Summer 2004</title>"));
    EXPECT_THAT(index, HasSubstr("<h1>Summer 2004</h1>"));
    EXPECT_THAT(index, HasSubstr("<span class=\"caption\">Picnic &amp; &lt;Friends&gt;</span><span class=\"count\">5 photos"));
    EXPECT_THAT(index, HasSubstr("<img src=\"Thumbs/2004061200001.jpg\""));
    EXPECT_THAT(index, HasSubstr("<span class=\"caption\">Empty</span><span class=\"count\">No photos</span>"));

    const std::string album = Browser("--dump-dom", root + "/Web/album-1.html");
    EXPECT_THAT(album, HasSubstr("<span class=\"caption\">&lt;script&gt;alert(1)&lt;/script&gt;</span>"));
    EXPECT_THAT(album, HasSubstr("<img src=\"../Thumbs/a%20b%231.jpg\""));
    EXPECT_THAT(album, HasSubstr("<img src=\"../Thumbs/K%C3%A4se%3F.jpg\""));
    EXPECT_THAT(album, Not(HasSubstr("<script>alert")));

    const std::string photo = Browser("--dump-dom", root + "/Web/album-1-photo-1.html");
    EXPECT_THAT(photo, HasSubstr("<h1>&lt;script&gt;alert(1)&lt;/script&gt;</h1>"));
    EXPECT_THAT(photo, HasSubstr("<p class=\"notes\">First line<br>\nsecond &lt;line&gt; &amp; more</p>"));
    EXPECT_THAT(photo, HasSubstr("<img src=\"../Images/2004061200001.jpg\""));
    EXPECT_THAT(photo, HasSubstr("<a id=\"next\" rel=\"next\" href=\"album-1-photo-2.html\">"));

    // Pictures for people to look at: set FOTOLARK_WEB_SCREENSHOTS to a folder to keep them.
    const char* keep = std::getenv("FOTOLARK_WEB_SCREENSHOTS");
    const struct {
        const char* Page;
        const char* Size;
        const char* Name;
    } shots[] = {{"index.html", "1920,1080", "index-1920.png"}, {"Web/album-1.html", "390,844", "album-phone.png"},
                 {"Web/album-1-photo-1.html", "1280,800", "photo-1280.png"}, {"Web/album-1-photo-5.html", "390,844", "photo-phone.png"}};
    for (const auto& shot : shots) {
        if (!keep && std::string(shot.Name) != "index-1920.png") continue;
        const std::string png = Scratch.Path() + "/" + shot.Name;
        Browser("--screenshot=" + Quote(png) + " --window-size=" + shot.Size, root + "/" + shot.Page);
        ASSERT_TRUE(fs::exists(png)) << shot.Name;
        EXPECT_EQ(ReadBytes(png).substr(1, 3), "PNG");
        if (keep) fs::copy_file(png, fs::path(keep) / shot.Name, fs::copy_options::overwrite_existing);
    }
}

TEST_F(WebDiscTest, NoWebLeavesThePagesOffAndEveryOtherFileAsItWas) {
    ASSERT_EQ(Run("--title 'Summer 2004' --no-web").Status, 0);
    const int64_t withoutSectors = VolumeSectors();
    const std::string without = ExtractTree(Iso, "norock", "without");
    ASSERT_EQ(Run("--title 'Summer 2004'").Status, 0);
    const int64_t withSectors = VolumeSectors();
    const std::string with = ExtractTree(Iso, "norock", "with");

    EXPECT_FALSE(fs::exists(without + "/index.html"));
    EXPECT_FALSE(fs::exists(without + "/Web"));
    int64_t pageSectors = 0;
    size_t files = 0;
    for (const auto& file : fs::recursive_directory_iterator(with)) {
        if (!file.is_regular_file()) continue;
        const std::string relative = file.path().lexically_relative(with).string();
        if (relative == "index.html" || relative.starts_with("Web/")) {
            pageSectors += static_cast<int64_t>((file.file_size() + 2047) / 2048);
            continue;
        }
        ++files;
        EXPECT_EQ(ReadBytes(file.path().string()), ReadBytes(without + "/" + relative)) << relative;
    }
    EXPECT_EQ(files, 4u + 2 * 6);  // autorun.inf, title.txt, Diorama.exe, Albums.dat and the photos
    // The pages' files, and the records of index.html and \Web, are all the image grew by.
    EXPECT_GE(withSectors - withoutSectors, pageSectors);
    EXPECT_LE(withSectors - withoutSectors, pageSectors + 8);
    RecordProperty("volume_sectors_without_pages", static_cast<int>(withoutSectors));
    RecordProperty("volume_sectors_with_pages", static_cast<int>(withSectors));
    RecordProperty("page_file_sectors", static_cast<int>(pageSectors));
}

} // namespace
