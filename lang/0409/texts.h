/* English (United States) texts of the bootstrap language module BOOT0409.DLL.
   The dialogs, strings and pictures themselves are laid out once, in
   ../bootlang.rc; a language is a folder named after its code with one file
   like this one. Quotes inside a text are doubled, as the resource compiler
   wants them. Every texts.h is UTF-8 and says so below, so that a language
   with accents is read right; its characters must also exist in the ANSI
   code page of the language (1252 here), in which the program reads them. */
#pragma code_page(65001)

#define LANG_PRIMARY     LANG_ENGLISH
#define LANG_SUB         SUBLANG_ENGLISH_US
/* VERSIONINFO: the block name is the language and code page in hex, the
   translation the same two numbers. */
#define LANG_BLOCK       "040904E4"
#define LANG_TRANSLATION 0x0409, 1252
#define LANG_NAME        "English"

/* Progress dialogs 1 and 4. The %s receives the product name followed by a
   blank, or nothing when the package names no product, so the sentence must
   read well both ways. */
#define TXT_PROGRESS_CAPTION "Preparing Setup"
#define TXT_PROGRESS \
  "%sSetup is unpacking the files it needs and will open in a moment. Please wait."

/* Language dialogs 3 (classic) and 5 (wizard). */
#define TXT_LANGUAGE_CAPTION "Setup Language"
#define TXT_WELCOME          "Welcome!"
#define TXT_LANGUAGE_LABEL   "Choose the language Setup should use:"
#define TXT_LANGUAGE_PROMPT  "Setup can show its pages in any of these languages. Which one would you like?"
/* The wizard's hint under the list: 501 is shown on Windows 95, NT 4.0 and
   later, 502 on older versions, whose manuals told users to "choose" a
   button rather than to click it. */
#define TXT_HINT             "Double-click a language, or select it and click Next."
#define TXT_HINT_OLD         "Select a language, then choose Next."
#define TXT_OK               "OK"
#define TXT_CANCEL           "Cancel"
#define TXT_BACK             "< &Back"
#define TXT_NEXT             "&Next >"

/* String 5: the setup program could not be started. %s is the full command
   line, %d the system error code. */
#define TXT_START_FAILED \
  "FATAL ERROR B104: The setup program could not be started.\n\nCommand line:\n%s\n\nSystem error code: %d"

#define TXT_MODULE_DESCRIPTION "Setup bootstrapper texts (English)"
