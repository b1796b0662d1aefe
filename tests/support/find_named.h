#pragma once
// The child of a window with the given object name, reported as a test failure when absent.
#include <QObject>
#include <QString>
#include <gtest/gtest.h>

template <class T>
T *findNamed(const QObject *root, const char *name)
{
    T *found = root->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
