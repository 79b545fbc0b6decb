// The version note stamped into Pordane's Linux executables: owner "Pordane",
// type 1, the file version as two words (major<<16|minor, release<<16|build),
// in an allocated SHT_NOTE section so the linker lists it in a PT_NOTE
// segment, where the updater's reader finds it.
#define PORDANE_NOTE_TEXT2(x) #x
#define PORDANE_NOTE_TEXT(x) PORDANE_NOTE_TEXT2(x)

__asm__(".pushsection .note.pordane.version,\"a\",%note\n"
        ".balign 4\n"
        ".long 8\n"
        ".long 8\n"
        ".long 1\n"
        ".asciz \"Pordane\"\n"
        ".long " PORDANE_NOTE_TEXT(PORDANE_VERSION_MS) "\n"
        ".long " PORDANE_NOTE_TEXT(PORDANE_VERSION_LS) "\n"
        ".popsection\n");
