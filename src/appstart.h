#pragma once

class QCoreApplication;

// What the program settles at its start, before its window opens.

// Loads Qt's own zh_CN translations (dialog buttons, file dialog) into app.
void installQtTranslations(QCoreApplication &app);

// The program keeps no settings, but Qt's file dialog stores its history, last folder and
// sidebar in the native "QtProject" settings when it is destroyed, and has no option to
// leave that out. On Unix, where those settings are a file (~/.config/QtProject.conf),
// this points the user's settings folder where no file can be made: inside the program
// file. The registry on Windows and the property list on macOS cannot be redirected;
// there the platform's dialog is used and Qt still records its history. Call it once,
// after the application object exists.
void keepNoSettings();
