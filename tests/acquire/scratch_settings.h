// A settings file of a test's own: tests of one program run in parallel processes that
// would otherwise share the program's configuration folder.
#pragma once

#include <QSettings>
#include <QTemporaryDir>

class TScratchSettings {
public:
    TScratchSettings() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, FFolder.path()); }

private:
    QTemporaryDir FFolder;
};
