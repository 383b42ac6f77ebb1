/* German (Germany) texts of the bootstrap language module BOOT0407.DLL. The
   dialogs are laid out once, in ../bootlang.rc, for every language; German
   runs about a third longer than English, so each text here is worded to
   fit its control at those sizes. Quotes inside a text are doubled, as the
   resource compiler wants them. The file is UTF-8, and every character in
   it must also exist in Windows-1252: the module's texts reach the program
   through the ANSI ("A") functions of a German system. */
#pragma code_page(65001)

#define LANG_PRIMARY     LANG_GERMAN
#define LANG_SUB         SUBLANG_GERMAN
#define LANG_BLOCK       "040704E4"
#define LANG_TRANSLATION 0x0407, 1252
#define LANG_NAME        "Deutsch"

/* Progress dialogs 1 and 4. The %s receives the product name followed by a
   blank, or nothing: "Setup" without an article reads well after a product
   name and at the start of the sentence alike. */
#define TXT_PROGRESS_CAPTION "Setup wird vorbereitet"
#define TXT_PROGRESS \
  "%sSetup entpackt die benötigten Dateien und startet gleich. Bitte warten Sie."

/* Language dialogs 3 (classic) and 5 (wizard). The label of dialog 3 has
   room for one line only. */
#define TXT_LANGUAGE_CAPTION "Setup-Sprache"
#define TXT_WELCOME          "Willkommen!"
#define TXT_LANGUAGE_LABEL   "Wählen Sie die Sprache für das Setup:"
#define TXT_LANGUAGE_PROMPT  "Setup ist in jeder dieser Sprachen verfügbar. Welche möchten Sie verwenden?"
/* 501 for Windows 95, NT 4.0 and later, 502 for older versions; both name
   the Next button by its label. */
#define TXT_HINT             "Doppelklicken Sie auf eine Sprache oder markieren Sie sie und klicken Sie auf „Weiter“."
#define TXT_HINT_OLD         "Markieren Sie eine Sprache und wählen Sie dann „Weiter“."
#define TXT_OK               "OK"
#define TXT_CANCEL           "Abbrechen"
#define TXT_BACK             "< &Zurück"
#define TXT_NEXT             "&Weiter >"

/* String 5: %s is the full command line, %d the system error code. The
   leading code stays as the program's own messages write theirs. */
#define TXT_START_FAILED \
  "FATAL ERROR B104: Das Setup-Programm konnte nicht gestartet werden.\n\nBefehlszeile:\n%s\n\nSystemfehlercode: %d"

#define TXT_MODULE_DESCRIPTION "Texte des Setup-Starters (Deutsch)"
