/* French (France) texts of the bootstrap language module BOOT040C.DLL. The
   dialogs are laid out once, in ../bootlang.rc, for every language; French
   runs about a third longer than English, so each text here is worded to
   fit its control at those sizes. Quotes inside a text are doubled, as the
   resource compiler wants them. The file is UTF-8, and every character in
   it must also exist in Windows-1252: the module's texts reach the program
   through the ANSI ("A") functions of a French system. */
#pragma code_page(65001)

#define LANG_PRIMARY     LANG_FRENCH
#define LANG_SUB         SUBLANG_FRENCH
#define LANG_BLOCK       "040C04E4"
#define LANG_TRANSLATION 0x040C, 1252
#define LANG_NAME        "Français"

/* French sets a blank before : ? and !; where a line may wrap, it is a
   no-break space, so that the mark never starts a line. Written as its
   UTF-8 bytes because it is invisible in the source. */
#define NBSP "\302\240"

/* Progress dialogs 1 and 4. The %s receives the product name followed by a
   blank, or nothing: a sentence cannot follow a bare product name in French,
   so the text is a heading ("<product> Installation") and a sentence after
   it. */
#define TXT_PROGRESS_CAPTION "Préparation de l'installation"
#define TXT_PROGRESS \
  "%sInstallation" NBSP ": décompression des fichiers nécessaires en cours. Veuillez patienter un instant."

/* Language dialogs 3 (classic) and 5 (wizard). The label of dialog 3 has
   room for one line only. The heading is one short line in a control as
   wide as the prompt, so it cannot wrap and keeps a plain blank. */
#define TXT_LANGUAGE_CAPTION "Langue d'installation"
#define TXT_WELCOME          "Bienvenue !"
#define TXT_LANGUAGE_LABEL   "Choisissez la langue d'installation" NBSP ":"
#define TXT_LANGUAGE_PROMPT \
  "Le programme d'installation est disponible dans ces langues. Laquelle préférez-vous" NBSP "?"
/* 501 for Windows 95, NT 4.0 and later, 502 for older versions; both name
   the Next button by its label. */
#define TXT_HINT             "Double-cliquez sur une langue, ou sélectionnez-la et cliquez sur Suivant."
#define TXT_HINT_OLD         "Sélectionnez une langue, puis choisissez Suivant."
#define TXT_OK               "OK"
#define TXT_CANCEL           "Annuler"
#define TXT_BACK             "< &Précédent"
#define TXT_NEXT             "&Suivant >"

/* String 5: %s is the full command line, %d the system error code. The
   leading code stays as the program's own messages write theirs. */
#define TXT_START_FAILED \
  "FATAL ERROR B104: Le programme d'installation n'a pas pu être démarré.\n\nLigne de commande" NBSP ":\n%s\n\nCode d'erreur système" NBSP ": %d"

#define TXT_MODULE_DESCRIPTION "Textes du lanceur d'installation (français)"
