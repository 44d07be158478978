// The release notes, offered when the setup is done.
#pragma once

// Copies the setup directory's notes into a folder of the setup's own in the
// temporary directory and has the shell open them; nothing is reported.
void ShowReleaseNotes();
