#include "ui/file_chooser.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QStringList>

namespace {

// Qt's file model writes sizes and dates in the desktop's locale, while the
// rest of the dialog speaks the interface language, as QLocale() does.
class InterfaceLocaleFiles : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        // The columns of QFileSystemModel.
        constexpr int kSize = 1, kDate = 3;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files != nullptr && role == Qt::DisplayRole) {
            const QModelIndex file = mapToSource(index);
            if (index.column() == kSize && !files->isDir(file)) {
                return QLocale().formattedDataSize(files->size(file));
            }
            if (index.column() == kDate) {
                return QLocale().toString(files->lastModified(file), QLocale::ShortFormat);
            }
        }
        return QIdentityProxyModel::data(index, role);
    }
};

FileChooserHook& Hook() {
    static FileChooserHook hook;
    return hook;
}

}  // namespace

void SetFileChooserHook(FileChooserHook hook) { Hook() = std::move(hook); }

std::string ToQtFilter(const std::string& windowsFilter) {
    // Pairs of "description|patterns", ended by an empty field.
    std::vector<std::string> fields;
    std::string field;
    for (char c : windowsFilter) {
        if (c == '|') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty()) fields.push_back(field);
    std::string result;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].empty()) break;
        std::string description = fields[i];
        std::string patterns = fields[i + 1];
        // "*.*" means every file on Windows; Qt needs "*".
        for (std::string* text : {&description, &patterns}) {
            for (std::size_t at = text->find("*.*"); at != std::string::npos;
                 at = text->find("*.*", at)) {
                text->replace(at, 3, "*");
            }
        }
        for (char& c : patterns) {
            if (c == ';') c = ' ';
        }
        // Qt takes the patterns from the text in parentheses.
        const std::size_t open = description.find('(');
        if (open != std::string::npos) description.erase(open);
        while (!description.empty() && description.back() == ' ') description.pop_back();
        if (!result.empty()) result += ";;";
        result += description + " (" + patterns + ")";
    }
    return result;
}

bool ChooseFile(const FileChooserRequest& request, std::string& path, QWidget* parent) {
    if (Hook()) return Hook()(request, path);
    QFileDialog dialog(parent, QString::fromStdString(request.title));
    dialog.setProxyModel(new InterfaceLocaleFiles(&dialog));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    const std::string filter = ToQtFilter(request.filter);
    if (!filter.empty())
        dialog.setNameFilters(QString::fromStdString(filter).split(QStringLiteral(";;")));
    if (!request.defaultExtension.empty()) {
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    }
    if (!request.initialFile.empty())
        dialog.selectFile(QString::fromStdString(request.initialFile));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QByteArray chosen = dialog.selectedFiles().front().toUtf8();
    path.assign(chosen.constData(), static_cast<std::size_t>(chosen.size()));
    return true;
}
