// The Flash Updater's panel: the rate groups and the port, the searches and the board list,
// the drive, folder and file lists with the file grid, the status memo and the progress
// panel, and the controls the updater keeps hidden.

#include "updater/updaterworkspace.h"

#include "updater/firmwarefolder.h"
#include "workspace/folderlist.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <QStyle>
#include <QTableWidget>

#include <utility>

namespace {


QPushButton *button(const QString &caption, const QString &name, QWidget *parent, const QRect &where)
{
    auto *push = new QPushButton(caption, parent);
    push->setObjectName(name);
    push->setGeometry(where);
    return push;
}

QLabel *label(const QString &text, QWidget *parent, const QRect &where)
{
    auto *caption = new QLabel(text, parent);
    caption->setGeometry(where);
    return caption;
}

QComboBox *addressChooser(const QString &name, QWidget *parent, const QRect &where)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setGeometry(where);
    for (int address = 0; address <= 0xFF; ++address)
        box->addItem(QStringLiteral("%1").arg(address, 2, 16, QLatin1Char('0')).toUpper());
    return box;
}

} // namespace

void UpdaterWorkspace::buildPanel()
{
    QFrame *root = frame();
    QLabel *title = label(QStringLiteral("Flash Programming Utility"), root, QRect(8, 4, 880, 28));
    title->setObjectName(QStringLiteral("Label113"));
    title->setAlignment(Qt::AlignCenter);
    QFont big = title->font();
    big.setPointSize(14);
    big.setBold(true);
    title->setFont(big);

    buildRateGroups();
    buildSearchControls();
    buildFileControls();
    buildStatusControls();
    buildHiddenControls();
}

void UpdaterWorkspace::buildRateGroups()
{
    QFrame *root = frame();
    auto *discovery = new QGroupBox(QStringLiteral("Discovery Baudrate "), root);
    discovery->setObjectName(QStringLiteral("GroupBox30"));
    discovery->setGeometry(8, 36, 280, 104);
    const QStringList discoveryRates{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
    for (int i = 0; i < int(discoveryRates.size()); ++i) {
        auto *radio = new QRadioButton(discoveryRates.at(i), discovery);
        radio->setObjectName(QStringLiteral("BAUDAX0%1").arg(i));
        radio->setGeometry(12 + (i / 4) * 136, 20 + (i % 4) * 20, 120, 20);
        connect(radio, &QRadioButton::clicked, this, &UpdaterWorkspace::BaudClick);
        m_discoveryRates.append(radio);
    }

    auto *programming = new QGroupBox(QStringLiteral("Programming Baudrate "), root);
    programming->setObjectName(QStringLiteral("GroupBox31"));
    programming->setGeometry(8, 144, 280, 64);
    const QStringList programmingRates{"9600", "19200", "38400", "115200"};
    for (int i = 0; i < int(programmingRates.size()); ++i) {
        auto *radio = new QRadioButton(programmingRates.at(i), programming);
        radio->setObjectName(QStringLiteral("BAUDX%1").arg(i));
        radio->setGeometry(12 + (i / 2) * 136, 20 + (i % 2) * 20, 120, 20);
        // Only 115200 is offered; the others stay for settings files that name them.
        radio->setEnabled(i == 3);
        connect(radio, &QRadioButton::clicked, this, &UpdaterWorkspace::BaudClick);
        m_programmingRates.append(radio);
    }

    auto *port = new QGroupBox(QStringLiteral(" Programming Comm Port"), root);
    port->setObjectName(QStringLiteral("GroupBox32"));
    port->setGeometry(8, 212, 280, 50);
    m_commsList = label(QStringLiteral("COM1"), port, QRect(12, 20, 256, 22));
    m_commsList->setObjectName(QStringLiteral("CommsList"));
}

void UpdaterWorkspace::buildSearchControls()
{
    QFrame *root = frame();
    QPushButton *all = button(QStringLiteral("Search All"), QStringLiteral("SearchBoards"), root, QRect(8, 270, 136, 30));
    QPushButton *stop = button(QStringLiteral("Stop Search"), QStringLiteral("Button35"), root, QRect(152, 270, 136, 30));
    QPushButton *range =
        button(QStringLiteral("Search Range"), QStringLiteral("PgmrSearchRange"), root, QRect(8, 306, 104, 30));
    label(QStringLiteral("Start "), root, QRect(118, 306, 34, 30));
    m_scanFirst = addressChooser(QStringLiteral("SCANFIRST"), root, QRect(152, 308, 54, 26));
    label(QStringLiteral("End"), root, QRect(212, 306, 26, 30));
    m_scanLast = addressChooser(QStringLiteral("SCANLAST"), root, QRect(236, 308, 52, 26));
    connect(all, &QPushButton::clicked, m_updater, &FlashUpdater::SearchBoardsClick);
    connect(stop, &QPushButton::clicked, m_updater, &FlashUpdater::Button35Click);
    connect(range, &QPushButton::clicked, m_updater, &FlashUpdater::PgmrSearchRangeClick);
    connect(m_scanFirst, &QComboBox::activated, this, &UpdaterWorkspace::SCANFIRSTChange);
    connect(m_scanLast, &QComboBox::activated, this, &UpdaterWorkspace::SCANLASTChange);

    m_boards = new QListWidget(root);
    m_boards->setObjectName(QStringLiteral("ListBox1"));
    m_boards->setGeometry(8, 344, 280, 215);
    m_boards->setFont(QFont(QStringLiteral("Courier New"), 9));
    connect(m_boards, &QListWidget::itemClicked, this, &UpdaterWorkspace::ListBox1Click);
}

void UpdaterWorkspace::buildFileControls()
{
    QFrame *root = frame();
    m_drives = new QComboBox(root);
    m_drives->setObjectName(QStringLiteral("DriveComboBox1"));
    m_drives->setGeometry(298, 36, 210, 26);
    fillDrives();
    connect(m_drives, &QComboBox::activated, this, [this] { setFolder(m_drives->currentData().toString()); });

    label(QStringLiteral("Directory"), root, QRect(298, 64, 210, 20));
    m_folders = new QListWidget(root);
    m_folders->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_folders->setGeometry(298, 84, 210, 252);
    connect(m_folders, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { setFolder(FolderList::pathOf(item)); });

    m_filename = new QLineEdit(QStringLiteral("*.hex"), root);
    m_filename->setObjectName(QStringLiteral("Filename"));
    m_filename->setGeometry(298, 342, 210, 24);

    QPushButton *program = button(QStringLiteral("Program"), QStringLiteral("Button16"), root, QRect(298, 372, 102, 34));
    QPushButton *refresh = button(QStringLiteral("REFRESH"), QStringLiteral("Button34"), root, QRect(406, 372, 102, 34));
    connect(program, &QPushButton::clicked, this, &UpdaterWorkspace::Button16Click);
    connect(refresh, &QPushButton::clicked, this, &UpdaterWorkspace::Button34Click);

    m_grid = new QTableWidget(1, 2, root);
    m_grid->setObjectName(QStringLiteral("PrgFileList"));
    m_grid->setGeometry(516, 36, 372, 300);
    m_grid->setHorizontalHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Date Modified")});
    m_grid->setColumnWidth(0, 240);
    m_grid->setColumnWidth(1, 129);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A row chosen by mouse or keyboard is taken once; a click on the row already chosen
    // takes the file again, as it may have changed on the disk.
    connect(m_grid, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetSelectionRange> ranges = m_grid->selectedRanges();
        if (ranges.isEmpty())
            return;
        m_rowJustChosen = true;
        PrgFileListClick(ranges.constFirst().topRow());
    });
    connect(m_grid, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (!std::exchange(m_rowJustChosen, false))
            PrgFileListClick(row);
    });

    // The names the folder holds; the grid over it is what the operator sees.
    m_files = new QListWidget(root);
    m_files->setObjectName(QStringLiteral("FileListBox1"));
    m_files->setGeometry(516, 36, 372, 300);
    m_files->hide();
}

void UpdaterWorkspace::buildStatusControls()
{
    QFrame *root = frame();
    auto *bar = new QFrame(root);
    bar->setObjectName(QStringLiteral("PBAR"));
    bar->setGeometry(516, 342, 372, 64);
    bar->setFrameShape(QFrame::StyledPanel);
    m_progressPanel = bar;
    label(QStringLiteral("Progress"), m_progressPanel, QRect(10, 4, 200, 20));
    m_percent = label(QStringLiteral("Ready"), m_progressPanel, QRect(262, 4, 100, 20));
    m_percent->setObjectName(QStringLiteral("Label117"));
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_progress = new QProgressBar(m_progressPanel);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setGeometry(10, 28, 352, 26);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progressPanel->hide();

    m_status = new QPlainTextEdit(root);
    m_status->setObjectName(QStringLiteral("ProgStatus"));
    m_status->setGeometry(298, 414, 590, 145);
    m_status->setReadOnly(true);
    m_status->setFont(QFont(QStringLiteral("Courier New"), 9));
}

void UpdaterWorkspace::buildHiddenControls()
{
    QFrame *root = frame();
    m_rxData = new QPlainTextEdit(root);
    m_rxData->setObjectName(QStringLiteral("RxData"));
    m_rxData->setReadOnly(true);
    m_rxData->hide();

    QPushButton *openClose = button(QStringLiteral("&Open"), QStringLiteral("OpenClose"), root, QRect(0, 0, 80, 26));
    connect(openClose, &QPushButton::clicked, m_updater, &FlashUpdater::OpenCloseClick);
    QPushButton *test =
        button(QStringLiteral("Test Connection"), QStringLiteral("TestLoaderCon"), root, QRect(0, 0, 120, 26));
    connect(test, &QPushButton::clicked, m_updater, &FlashUpdater::TestLoaderConClick);
    // Kept as the form has it: the download sends the lines itself.
    QPushButton *sendHex = button(QStringLiteral("Send Hex Data"), QStringLiteral("Button33"), root, QRect(0, 0, 120, 26));

    m_xCommsList = new QComboBox(root);
    m_xCommsList->setObjectName(QStringLiteral("xCommsList"));
    m_xCommsList->setEditable(true);
    QPushButton *rescan =
        button(QStringLiteral("RESCAN COM PORTS"), QStringLiteral("Button36"), root, QRect(0, 0, 140, 26));
    connect(rescan, &QPushButton::clicked, this, &UpdaterWorkspace::rescanRequested);

    for (QWidget *hidden : std::initializer_list<QWidget *>{openClose, test, sendHex, m_xCommsList, rescan})
        hidden->hide();
}

void UpdaterWorkspace::fillDrives()
{
    FolderList::fillDrives(m_drives);
}

void UpdaterWorkspace::setFolder(const QString &folder)
{
    const QFileInfo info(folder);
    m_folder = QDir::cleanPath(info.isDir() ? info.absoluteFilePath() : QDir::rootPath());
    m_settings.startIn = QDir::toNativeSeparators(m_folder);
    fillFolderList();
    readFileList();
}

void UpdaterWorkspace::fillFolderList()
{
    FolderList::showFolder(m_drives, m_folders, m_folder);
}

void UpdaterWorkspace::readFileList()
{
    m_files->clear();
    m_files->addItems(FirmwareFolder::hexFileNames(m_folder));
    m_filename->setText(QStringLiteral("*.hex"));
    FileListBox1Change();
}

void UpdaterWorkspace::FileListBox1Change()
{
    QStringList names;
    for (int i = 0; i < m_files->count(); ++i)
        names.append(m_files->item(i)->text());
    const QList<FirmwareFolder::Row> rows = FirmwareFolder::newestFirst(FirmwareFolder::stampedRows(m_folder, names));

    const QSignalBlocker quiet(m_grid);
    m_grid->clearContents();
    m_grid->clearSelection();
    m_grid->setCurrentCell(-1, -1);
    // Each file adds a row to the one empty row the grid always ends with.
    m_grid->setRowCount(int(rows.size()) + 1);
    for (int row = 0; row < int(rows.size()); ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(rows.at(row).name));
        m_grid->setItem(row, 1, new QTableWidgetItem(FirmwareFolder::stampText(rows.at(row).stamp)));
    }
}

void UpdaterWorkspace::Button34Click()
{
    fillDrives();
    fillFolderList();
    readFileList();
}
