#pragma once

#include <QString>
#include <QStringList>

// Turns a "|"-separated filter ("描述 (*.ini)|*.ini|全部文件 (*.*)|*.*") into Qt's name
// filters, one per pair. "*.*" stands for every name, as it does on Windows.
QStringList qtNameFilters(const QString &filter);
