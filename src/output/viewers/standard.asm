; Standard viewer: a different frame on every raster line, rotating every video frame.
; Assembled twice: PAL (63 cycles a line, NTSC = 0) and NTSC (65 cycles, NTSC = 1).

        .include "common.inc"

        .weak
NTSC    = 0
        .endweak
PAD     = 2 + NTSC              ; NOPs closing a step: 4 cycles PAL, 6 NTSC
PAD2    = 4 + 4 * NTSC          ; cycles closing step 2 (tuned, see the line routine)
DELAY0  = 9                     ; loops between the raster 47 wait and step 0

        #header setup
        * = $0819
        #rti_and_save

setup   sei
        #video_first $0b        ; display blanked while the data moves
        #move_nonfli 0
        #irq_setup $05, irq_line38
        lda #2                  ; VIC bank 1: frame 1
        sta cia2_pa
        jsr sprites
        #irq_enable

; The black column over the three leftmost character columns.
sprites #sprite_column 24, 1

; ---- raster interrupt: line 38, stabilised on line 39 ----
irq_line38
        #stable_first irq_line39
irq_line39
        #stable_display
        lda #2
        sta cia2_pa
        #wait_line 47           ; line 47: step 0 must reach raster 48 before its cycle 12
        ldx #DELAY0             ; 2 + 5 * DELAY0 - 1
-       dex
        bne -
phase   ldx #0                  ; frame phase 0..2, rewritten below

; The line routine, one step per raster line: step n selects the bank of raster
; 48 + n and writes YSCROLL = n & 7, which makes that raster line a bad line, so it
; fetches its colours from the bank just selected. A bad line stops the CPU from its
; first read after the bad line starts until cycle 55, which keeps every step on
; its own line. (Cycles counted 1..63 PAL, 1..65 NTSC, as in the VIC-II timing
; diagrams; the sprite of each line costs 5 more: BA 3 cycles early, 2 of DMA.)
; Raster 48 (step 0): YSCROLL 0 is written before the line's cycle 12, a normal bad
;   line; it stops the CPU and so puts the routine in step with the beam, whatever
;   the raster wait left over. Rasters 49-51 (steps 1-3) come early in their lines
;   as well; raster 51, a normal bad line, restarts the row counter, so picture
;   line 0 is on raster 51, the first line of the display window.
; Rasters 52-247 (steps 4-199): YSCROLL is written on cycle 14, just after the row
;   counter check: the bad line starts late, so the row counter keeps counting and
;   the first three character columns get no colours (the sprites cover them).
;   PAL: the CPU is stopped from cycle 15 (in the first pad NOP) to 54, resumes on
;   55 and loses 5 cycles to the sprite: 18 cycles of its own (4+4+2+4+4 pad),
;   40 + 5 + 18 = 63. NTSC: one NOP more, 65.
;   Step 2's pad (PAD2) sets where raster 51's early stop catches step 4, so that
;   step 4 is the first to land on cycle 14 (measured on x64sc).
;   Raster 247 (step 199) is the last one on which a bad line can be forced.
; Step 200 (raster 248) writes $7F: the invalid bitmap mode shows black from picture
;   line 197 to the bottom border; those lines could not get their colours anyway.
        .for n = 0, n < 201, n += 1
        lda banks+n,x           ; 4
        sta cia2_pa             ; 4   bank of raster 48 + n
        .if n < 200
        lda #$38 + (n & 7)      ; 2
        .else
        lda #$7f
        .endif
        sta vic_ctrl1           ; 4   YSCROLL = raster & 7: a bad line
        .if n == 2
        #cycles PAD2
        .else
        .fill PAD, $ea          ; 2 each
        .endif
        .endfor

        lda phase+1             ; next frame phase (raster ~248, after the routine)
        clc
        adc #1
        cmp #3
        bne +
        lda #0
+       sta phase+1
        #irq_return irq_line38

        .align 256              ; no page crossing in lda banks+n,x
; bank table: $DD00 values for step n at frame phase p: banks[p + n] = (p + n) mod 3
banks   .for n = 0, n < 240, n += 1
        .byte n % 3
        .endfor

        #copy_routines
        #finish
