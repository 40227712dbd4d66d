#include "web_style.h"

// White like the thumbnails' own ground, so that their shadow and bevel sit on the page. The
// thumbnails are at most 128 x 98 pixels and are shown at their own size.
const char* const kWebStyle = R"(html { background: #fff; color: #333; }
body { margin: 0 auto; max-width: 1280px; padding: 0 16px 40px;
       font: 16px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif; }
a { color: #285e8e; text-decoration: none; }
a:hover, a:focus { text-decoration: underline; }
h1 { font-size: 1.6em; font-weight: 400; margin: 24px 0 2px; overflow-wrap: anywhere; }
.count { color: #888; font-size: 0.875em; }
main > .count { margin: 0 0 24px; }
.bar { display: flex; flex-wrap: wrap; align-items: baseline; justify-content: space-between; gap: 8px 24px;
       padding: 12px 0; border-bottom: 1px solid #e6e6e6; }
.bar #up { overflow-wrap: anywhere; }
.steps { display: flex; gap: 8px 20px; white-space: nowrap; }
.pos { color: #888; }
.off { color: #bbb; }
.grid { list-style: none; margin: 0; padding: 0; display: grid; gap: 24px 12px;
        grid-template-columns: repeat(auto-fill, minmax(148px, 1fr)); }
.grid a { display: block; color: inherit; text-align: center; }
.grid a:hover .caption, .grid a:focus .caption { color: #285e8e; text-decoration: underline; }
.thumb { display: flex; align-items: center; justify-content: center; height: 104px; }
.thumb img { max-width: 100%; }
.thumb .none { width: 120px; height: 90px; background: #f1f1f1; }
.caption { display: block; margin-top: 6px; font-size: 0.875em; overflow-wrap: anywhere; }
.grid .count { display: block; }
figure { margin: 16px 0 0; text-align: center; }
figure img { max-width: 100%; max-height: calc(100vh - 120px); height: auto; vertical-align: top; }
figcaption { max-width: 40em; margin: 0 auto; text-align: left; }
figcaption h1 { font-size: 1.3em; margin-top: 16px; }
.notes { margin: 8px 0 0; color: #555; overflow-wrap: anywhere; }
@media (max-width: 480px) {
  body { padding: 0 10px 24px; }
  .grid { grid-template-columns: repeat(auto-fill, minmax(136px, 1fr)); gap: 16px 8px; }
}
)";
