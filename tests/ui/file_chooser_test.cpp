// The real file dialog speaks the interface language in every column,
// whatever the desktop's locale.
#include "ui/file_chooser.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "tests/support/app_folder.h"
#include "tests/ui/qt_test_app.h"
#include "ui/qt_language.h"

namespace {

// The name, size, type and date columns of `name`'s row; empty until it is
// shown with its type, which Qt's file model learns last.
QStringList RowShown(QFileDialog& dialog, const QString& name) {
    QStringList row;
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    const QAbstractItemModel* files = view != nullptr ? view->model() : nullptr;
    for (int at = 0; files != nullptr && at < files->rowCount(view->rootIndex()); ++at) {
        const QModelIndex file = files->index(at, 0, view->rootIndex());
        if (file.data().toString() == name && !file.siblingAtColumn(2).data().isNull()) {
            for (int column = 0; column < 4; ++column) {
                row << file.siblingAtColumn(column).data().toString();
            }
        }
    }
    return row;
}

}  // namespace

TEST(FileChooser, SizesTypesAndDatesInTheInterfaceLanguage) {
    TestApp();
    TempAppFolder folder;
    // The dialog keeps its last folder in Qt's settings file: not the user's.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.path()));
    QFile file(QString::fromStdString(folder.file("a.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(92, 'x'));
    file.flush();  // else closing writes, and that sets the date
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2024, 3, 5), QTime(14, 7)),
                                 QFileDevice::FileModificationTime));
    file.close();
    // Each language differs from any desktop's locale in one row at least.
    const std::pair<int, std::string> rows[] = {
        {1, "a.txt | 92 bytes | plain text document | 3/5/24 2:07 PM"},
        {2, "a.txt | 92 字节 | 纯文本文档 | 2024/3/5 14:07"},
    };
    for (const auto& [language, shown] : rows) {
        InstallQtLanguage(language);
        QStringList row;
        QTimer::singleShot(0, [&] {
            QFileDialog* dialog = nullptr;
            (void)QTest::qWaitFor(
                [&] {
                    dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                    return dialog != nullptr && !(row = RowShown(*dialog, "a.txt")).isEmpty();
                },
                static_cast<int>(kHangBound.count()));
            if (dialog != nullptr) dialog->reject();
        });
        FileChooserRequest request;
        request.initialFile = folder.file("a.txt");
        std::string chosen;
        EXPECT_FALSE(ChooseFile(request, chosen));
        EXPECT_EQ(row.join(" | ").toStdString(), shown) << "language " << language;
    }
    InstallQtLanguage(1);
}
