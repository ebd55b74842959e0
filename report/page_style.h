#pragma once

// The report page's style sheet: the screen and the printed page.
namespace page_style {

extern const char styleSheet[];

}  // namespace page_style
