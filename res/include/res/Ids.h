// Names of the resources: dialog templates, controls, strings, icon and bitmap. The IDs
// are those of the templates and of the string table; several dialogs share a control
// ID, so one number may have a name per use.
#pragma once

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_CONNECTING = 129;
inline constexpr int IDD_ACCOUNT = 132;
inline constexpr int IDD_PASSWORD = 150;
inline constexpr int IDD_PROXY = 156;
inline constexpr int IDD_SAVENAME = 158;
inline constexpr int IDD_CERTIFICATE = 160;

// Icon and bitmap.
inline constexpr int IDI_APP = 128;
inline constexpr int IDB_REMOTE = 151; // two 16x16 images: folder, file

// Dialog results and the standard buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int ID_HELP = 57670;
inline constexpr int IDC_STATIC = -1; // a control no code addresses

// Main window.
inline constexpr int IDC_NAME = 1000;
inline constexpr int IDC_TITLE = 1002;
inline constexpr int IDC_ARCHIVE_NAME = 1004;
inline constexpr int IDC_ACCOUNTS = 1007;
inline constexpr int IDC_NEW_ACCOUNT = 1008;
inline constexpr int IDC_ZIP = 1009;
inline constexpr int IDC_FILES = 1010;
inline constexpr int IDC_ADD_FILE = 1011;
inline constexpr int IDC_ADD_PATH = 1013;
inline constexpr int IDC_EDIT_FILE = 1015;
inline constexpr int IDC_DELETE_FILE = 1016;
inline constexpr int IDC_DELETE_ALL_FILES = 1018;
inline constexpr int IDC_FOLDER = 1019;
inline constexpr int IDC_REMOTE = 1021;
inline constexpr int IDC_ADD_REMOTE = 1023;
inline constexpr int IDC_SHOW = 1024;
inline constexpr int IDC_ACCOUNT_DETAILS = 1026;
inline constexpr int IDC_COMPRESS = 1027;
inline constexpr int IDC_NEXT_OR_PARENT = 1028; // wizard: Next; browser: parent folder
inline constexpr int IDC_WIZARD = 1029;         // wizard: Stop; browser: Wizard
inline constexpr int IDC_SERVER_PANEL = 1030;
inline constexpr int IDC_WIZARD_TEXT = 1032;
inline constexpr int IDC_BACK_OR_CONNECT = 1033; // wizard: Back; browser: Connect
inline constexpr int IDC_ARCHIVE_GROUP = 1034;
inline constexpr int IDC_ARCHIVE_NAME_LABEL = 1035;
inline constexpr int IDC_DELETE_ACCOUNT = 1041;
inline constexpr int IDC_MASK = 1047;
inline constexpr int IDC_LOAD = 1050;
inline constexpr int IDC_NEW = 1051;

// Version box.
inline constexpr int IDC_VERSION = 1002;

// Progress dialog.
inline constexpr int IDC_PROGRESS = 1048;
inline constexpr int IDC_STATUS = 1049;

// Account, proxy and password dialogs.
inline constexpr int IDC_RECORD_NAME = 1000;
inline constexpr int IDC_PASSWORD = 1012;
inline constexpr int IDC_PROXIES = 1014;
inline constexpr int IDC_NEW_PROXY = 1017;
inline constexpr int IDC_SERVER = 1020;
inline constexpr int IDC_USE_PROXY = 1022;
inline constexpr int IDC_PORT = 1025;
inline constexpr int IDC_USER_ID = 1031;
inline constexpr int IDC_PROTOCOL = 1036;
inline constexpr int IDC_NO_PASSWORD = 1037;
inline constexpr int IDC_PASSWORD_LABEL = 1038;
inline constexpr int IDC_PASSIVE = 1039;
inline constexpr int IDC_PROXY_DETAILS = 1042;
inline constexpr int IDC_DELETE_PROXY = 1043;
inline constexpr int IDC_PROMPT = 1104;
inline constexpr int IDC_PROXY_NO_PASSWORD = 1116;

// Certificate dialog; DoModal returns the button: IDC_TRUST_ONCE, IDC_TRUST_ALWAYS or IDCANCEL.
inline constexpr int IDC_CERT_PROMPT = 1200;
inline constexpr int IDC_CERT_SERVER = 1201;
inline constexpr int IDC_CERT_SUBJECT = 1202;
inline constexpr int IDC_CERT_ISSUER = 1203;
inline constexpr int IDC_CERT_VALIDITY = 1204;
inline constexpr int IDC_CERT_FINGERPRINT = 1205;
inline constexpr int IDC_CERT_ERROR = 1206;
inline constexpr int IDC_TRUST_ONCE = 1207;
inline constexpr int IDC_TRUST_ALWAYS = 1208;

// File entry dialog.
inline constexpr int IDC_SAVE_NAME = 1015;
inline constexpr int IDC_FILE_PATH = 1027;
inline constexpr int IDC_MODE = 1044;
inline constexpr int IDC_METHOD = 1045;

// String table.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDS_COL_FILE_NAME = 102;
inline constexpr int IDS_COL_MODE = 103;
inline constexpr int IDS_COL_METHOD = 104;
inline constexpr int IDS_COL_REMOTE = 105;
inline constexpr int IDS_WIZARD_PAGE_NAME = 106;
inline constexpr int IDS_WIZARD_CAPTION = 107;
inline constexpr int IDS_SERVER_PANEL = 108;
inline constexpr int IDS_NEXT = 109;
inline constexpr int IDS_STOP_WIZARD = 110;
inline constexpr int IDS_CONNECT = 111;
inline constexpr int IDS_PARENT_FOLDER = 112;
inline constexpr int IDS_WIZARD_PAGE_TITLE = 113;
inline constexpr int IDS_BACK = 114;
inline constexpr int IDS_WIZARD = 115;
inline constexpr int IDS_WIZARD_PAGE_ARCHIVE = 116;
inline constexpr int IDS_WIZARD_PAGE_ACCOUNT = 117;
inline constexpr int IDS_WIZARD_PAGE_FILES = 118;
inline constexpr int IDS_WIZARD_PAGE_SERVER = 119;
inline constexpr int IDS_LIBRARY_VERSION = 120;
inline constexpr int IDS_LIBRARY_LOAD = 121;
inline constexpr int IDS_LIBRARY_BAD = 122;
inline constexpr int IDS_ACCOUNT_INCOMPLETE = 124;
inline constexpr int IDS_CONFIRM_DELETE_RECORD = 125;
inline constexpr int IDS_DELETE_RECORD_FAILED = 126;
inline constexpr int IDS_SAVE_NAME_INVALID = 127;
inline constexpr int IDS_SAVE_NAME_REQUIRED = 128;
inline constexpr int IDS_SAVE_NAME_DUPLICATE = 129;
inline constexpr int IDS_SELECT_FILE_TO_EDIT = 130;
inline constexpr int IDS_CONFIRM_DELETE = 131;
inline constexpr int IDS_SELECT_FILE_TO_DELETE = 132;
inline constexpr int IDS_CONFIRM_CONNECT = 133;
inline constexpr int IDS_CONNECT_FAILED = 134;
inline constexpr int IDS_BAD_FOLDER = 135;
inline constexpr int IDS_COL_REMOTE_NAME = 136;
inline constexpr int IDS_CANCELLED = 137;
inline constexpr int IDS_STATUS_CONNECTING = 138;
inline constexpr int IDS_STATUS_CONNECTED = 139;
inline constexpr int IDS_STATUS_FOLDERS = 140;
inline constexpr int IDS_STATUS_FILES = 141;
inline constexpr int IDS_STATUS_STOPPING = 142;
inline constexpr int IDS_STATUS_DONE = 143;
inline constexpr int IDS_CONFIRM_EXIT = 144;
inline constexpr int IDS_CONNECT_FIRST = 145;
inline constexpr int IDS_PASSWORD_NEEDED = 146;
inline constexpr int IDS_NAME_REQUIRED = 147;
inline constexpr int IDS_NOTHING_TO_SAVE = 148;
inline constexpr int IDS_BAD_CHARACTERS = 149;
inline constexpr int IDS_DOCUMENT_COMMENT = 150;
inline constexpr int IDS_TASK_CAPTION = 151;
inline constexpr int IDS_SERVER_CAPTION = 152;
inline constexpr int IDS_FILE_FILTER = 153;
inline constexpr int IDS_GET_LIST_CAPTION = 154;
inline constexpr int IDS_MGET_LIST_CAPTION = 155;
inline constexpr int IDS_OLE_INIT_FAILED = 156;
inline constexpr int IDS_LOAD_FAILED = 157;
inline constexpr int IDS_NOT_A_TASK_FILE = 158;
inline constexpr int IDS_ARCHIVE_NAME_REQUIRED = 159;
inline constexpr int IDS_ACCOUNT_MISSING = 160;
inline constexpr int IDS_CONFIRM_NEW = 161;
inline constexpr int IDS_NAME_AND_SERVER_REQUIRED = 162;
inline constexpr int IDS_HELP_FAILED = 163;
inline constexpr int IDS_SAVE_FAILED = 164;
inline constexpr int IDS_LIST_FAILED = 165;
inline constexpr int IDS_VERSION_FORMAT = 166;
inline constexpr int IDS_STATUS_CONNECTED_TLS = 167;   // in place of IDS_STATUS_CONNECTED
inline constexpr int IDS_STATUS_CONNECTED_PROXY = 168; // likewise, through a proxy
inline constexpr int IDS_CONFIRM_PLAIN = 169;
inline constexpr int IDS_CERT_NOT_VERIFIED = 170;
inline constexpr int IDS_CERT_CHANGED = 171;
inline constexpr int IDS_STORE_UNUSABLE = 172;     // "%s": the account store's file
inline constexpr int IDS_STORE_WRITE_FAILED = 173; // an account or proxy change not stored
inline constexpr int IDS_LIST_TOO_LARGE = 174;
inline constexpr int IDS_CONFIRM_DELETE_ALL = 175;
// The command line of tovalo (app/include/app/CommandLine.h).
inline constexpr int IDS_CLI_USAGE = 176;        // the usage line
inline constexpr int IDS_CLI_HELP = 177;         // --help, after the usage line
inline constexpr int IDS_CLI_VERSION = 178;      // --version; "%s": the version
inline constexpr int IDS_CLI_BAD_ARGUMENT = 179; // "%s": the argument not understood

// The framework's own strings.
inline constexpr int AFX_IDS_SCCLOSE = 0xEF06;           // the window menu's close item
inline constexpr int AFX_IDP_PARSE_STRING_SIZE = 0xF114; // "%s": the limit in bytes
inline constexpr int AFX_IDP_PARSE_UINT = 0xF117;
