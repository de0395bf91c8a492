; Whole-frame viewer (PAL and NTSC): shows frame 3, frame 2, frame 1, one whole
; picture per video frame, switching the VIC bank in the lower border.
; No interrupts and no sprites; nothing here depends on the cycles per line.

        .include "common.inc"

        #header setup           ; JMP $0819: the set-up starts where the others keep their RTI

        * = $0819
setup   sei
        #video_first $3b        ; bitmap mode at once
        #move_nonfli 0
        lda #$37                ; ROMs back in
        sta $01

; Display loop: wait for raster 252, then 253 (so each pass sees a new frame),
; then the next bank of the cycle $DD00 = 0, 1, 2 (frame 3, frame 2, frame 1).
show    lda #252
-       cmp vic_raster
        bne -
        lda #253
-       cmp vic_raster
        bne -
frame   lda #0                  ; operand = frame value, rewritten below
        sta cia2_pa
        clc
        adc #1
        cmp #3
        bne +
        lda #0
+       sta frame+1
        jmp show

        #copy_routines
        #finish
