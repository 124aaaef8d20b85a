#include "title_app.h"

#include <cstdio>

#include "desktop_language.h"
#include "title_dlg.h"
#include "wordloom/session.h"

const char kNoDisplayMessage[] =
    "wordloom: 无法打开窗口：没有可用的图形显示（DISPLAY 未设置或无法连接）。\n"
    "wordloom: cannot open a window: no graphical display is available.\n"
    "请改用命令行版本 wordloom-cli / Use the command-line version instead, for example:\n"
    "  wordloom-cli --library words.txt --core 连衣裙 --length 60 --count 20 --separator comma --output titles.txt\n"
    "  (wordloom-cli --help lists every option)\n";

bool CTitleApp::Initialize(int& argc, wxChar** argv) {
  if (wxApp::Initialize(argc, argv)) return true;
  std::fputs(kNoDisplayMessage, stderr);
  return false;
}

bool CTitleApp::OnInit() {
  // The command line is deliberately not parsed (wxApp::OnInit would).
  wordloom::ui::UseDesktopLanguage();
  CTitleDlg dlg;
  SetTopWindow(&dlg);
  dlg.ShowModal();
  SetTopWindow(nullptr);
  return true;
}

int CTitleApp::OnRun() { return 0; }

wxIMPLEMENT_APP(CTitleApp);
