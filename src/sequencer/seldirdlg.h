#pragma once

#include <QDialog>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Select Directory": a drive (mount point) above the folders of the current one. Shown
// without blocking the window; OK hides it and announces the folder highlighted in the
// list, Cancel hides it and changes nothing.
class TSelDirDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TSelDirDlg(QWidget *parent = nullptr);

    // Shows the dialog opened at folder (the home folder when it does not exist).
    void showAt(const QString &folder);

    // The folder the list is opened at and the one highlighted in it.
    QString directory() const { return m_directory; }
    QString selectedFolder() const;
    // Opens folder in the list: its ancestors above it, its subfolders below, itself highlighted.
    void setDirectory(const QString &folder);

    QComboBox *DriveComboBox1 = nullptr;
    QListWidget *DirectoryListBox1 = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

Q_SIGNALS:
    void folderChosen(const QString &folder);

private:
    void fillDrives();
    void driveChanged();
    void openItem(QListWidgetItem *item);
    void accept() override;

    QString m_directory;
};
