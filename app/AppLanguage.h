#pragma once
// The tool speaks Russian: its own texts come from the language file, Qt's standard dialogs
// (file dialogs, the overwrite question, dialog buttons) from Qt's Russian translations, and
// where the system locale names no language (C, POSIX) dates, times and numbers take the Russian
// formats, as the window's own texts do.

// Call once the application object exists. False when Qt's Russian translations are not
// installed; the standard dialogs then keep Qt's English texts.
bool UseRussianLanguage();
