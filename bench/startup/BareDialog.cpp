// The yardstick for start-up: a bare Qt dialog with as many controls as the main window
// (27), built by hand, until it first paints.
#include "FirstPaint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    FirstPaint paint;
    qapp.installEventFilter(&paint);
    QDialog dlg;
    dlg.resize(620, 420);
    QWidget* controls[] = {
        new QLabel("名前", &dlg),      new QLineEdit(&dlg),
        new QLabel("タイトル", &dlg),  new QLineEdit(&dlg),
        new QCheckBox("圧縮", &dlg),   new QLineEdit(&dlg),
        new QGroupBox("FTP", &dlg),    new QListWidget(&dlg),
        new QPushButton("新規", &dlg), new QPushButton("詳細", &dlg),
        new QPushButton("削除", &dlg), new QLineEdit(&dlg),
        new QLineEdit(&dlg),           new QPushButton("接続", &dlg),
        new QTreeView(&dlg),           new QPushButton("追加", &dlg),
        new QTreeView(&dlg),           new QLineEdit(&dlg),
        new QPushButton("追加", &dlg), new QPushButton("編集", &dlg),
        new QPushButton("削除", &dlg), new QPushButton("全削除", &dlg),
        new QPushButton("保存", &dlg), new QPushButton("読込", &dlg),
        new QPushButton("新規", &dlg), new QComboBox(&dlg),
        new QPushButton("終了", &dlg),
    };
    int y = 4;
    for (QWidget* w : controls) {
        w->setGeometry(8 + (y / 400) * 300, y % 400, 280, 14);
        y += 15;
    }
    dlg.show();
    return qapp.exec();
}
