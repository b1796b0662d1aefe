#pragma once
// Shows the wait notice (common/wait_notice.h) as the wait cursor and the notice's text in the
// status bar of every main window, painted at once: the window's thread is about to block in
// a database call that may wait for another desk.
namespace WaitNoticeGui {

void install();
void uninstall();

} // namespace WaitNoticeGui
