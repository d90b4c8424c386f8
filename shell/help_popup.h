// Context help: the "What's this?" pop-up of a control.
//
// The topics (title and text, by help context number) are generated at
// build time from shell/help/topics.txt, the same file that makes the page
// of quib.chm listing them. The pop-up is a small window of the class
// "QuibHelpPopup" beside the control, whose window text is the topic's
// title and text; the next click or key closes it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct HelpTopic {
  uint32_t id;
  const char* title;
  const char* text;
};

constexpr const char* kHelpPopupClass = "QuibHelpPopup";

// The topic with help context `id`, or nullptr when there is none.
const HelpTopic* FindHelpTopic(uint32_t id);

// "title\r\n\r\ntext" of a topic: the pop-up's window text.
std::string HelpTopicText(const HelpTopic& topic);

// Where a pop-up of `size` goes beside `control` (screen coordinates): to
// the right of it, top edges level, else to its left, kept inside `work`.
POINT PlaceBeside(const RECT& control, SIZE size, const RECT& work);

// Shows the topic `id` beside `control` and returns when the next click or
// key has closed it (that click or key is consumed). Nothing is shown for a
// number without a topic.
void ShowHelpPopup(HWND control, uint32_t id);
