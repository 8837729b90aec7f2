// A window's control by its object name. A missing one throws, which the test
// reports with the name, instead of a null pointer that crashes it later; not
// for use inside a callback of the event loop, where a throw ends the program.
// Menu items are found too: they are objects of the window, not widgets.
#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

template <typename T>
T* Control(QObject& window, const char* objectName)
{
    T* control = window.findChild<T*>(QString::fromLatin1(objectName));
    if (!control)
        throw std::runtime_error(std::string("no ") + T::staticMetaObject.className() + " named " + objectName +
                                 " in " + window.metaObject()->className());
    return control;
}
