// The one way install-time messages are shown: owned by the dialog, titled with the
// installer's title, OK only, no icon.
#pragma once

void ShowInstallMessage(const char* text);

// Shows format with path in place of its one "%s"; a path longer than 259 characters is cut.
void ShowPathMessage(const char* format, const char* path);
