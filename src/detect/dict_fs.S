// The two compiled word lists (dictgen's images), pulled into read-only data
// at assembly time. The build puts the folder that holds them on the include
// path and re-assembles this file whenever one of them changes. Written out line by line: statement
// separators differ between assemblers, so no multi-statement macro.
#if defined(__APPLE__)
#define SYM(name) _##name
        .const_data
#else
#define SYM(name) name
        .section .rodata.vyx_dicts, "a"
#endif

        .globl SYM(vyx_ru_freq_img)
        .globl SYM(vyx_ru_freq_img_end)
        .balign 16
SYM(vyx_ru_freq_img):
        .incbin "ru_freq.img"
SYM(vyx_ru_freq_img_end):
        .byte 0

        .globl SYM(vyx_en_freq_img)
        .globl SYM(vyx_en_freq_img_end)
        .balign 16
SYM(vyx_en_freq_img):
        .incbin "en_freq.img"
SYM(vyx_en_freq_img_end):
        .byte 0

#if defined(__linux__) && defined(__ELF__)
        .section .note.GNU-stack, "", %progbits
#endif
