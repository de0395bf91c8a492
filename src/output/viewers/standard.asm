; Standard viewer: a different frame on every raster line, rotating every video frame.
; Assembled twice: PAL (63 cycles a line, NTSC = 0) and NTSC (65 cycles, NTSC = 1).

        .include "common.inc"

        .weak
NTSC    = 0
        .endweak
PAD     = 2 + NTSC              ; NOPs closing a step: 4 cycles PAL, 6 NTSC
DELAY0  = 8                     ; loops between the raster 47 wait and step 0

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
        #wait_line 47           ; line 47: step 0 writes $D011 on raster 48's cycle 12
        ldx #DELAY0             ; 2 + 5 * DELAY0 - 1
-       dex
        bne -
        #cycles 4 + 2 * NTSC    ; x64sc: 3-5 (PAL) or 5-7 (NTSC) work, the middle taken
phase   ldx #0                  ; frame phase 0..2, rewritten below

; The line routine, one step per raster line: step n selects the bank of raster
; 48 + n and writes YSCROLL = n & 7, which makes that raster line a bad line, so it
; fetches its colours from the bank just selected: picture line y is on raster 48 + y.
; A bad line stops the CPU from its first read after the bad line starts until cycle
; 55, which keeps every step on its own line. (Cycles counted 1..63 PAL, 1..65 NTSC,
; as in the VIC-II timing diagrams; the sprite of each line costs 5 more: BA 3 cycles
; early, 2 of DMA.)
; Raster 48 (step 0): YSCROLL 0 is written on cycle 12 (the middle of the three that
;   work on x64sc), before the row counter check
;   on 14: a normal bad line, which restarts the row counter for picture line 0. A
;   write on 11-13 would do as well: the bad line starts on the cycle after it, so
;   the CPU stops on the read right after its write, as on every later line. Earlier,
;   it would run on into the next step and bring step 1 early; on 14, too late.
; Rasters 49-247 (steps 1-199): YSCROLL is written on cycle 14, just after the row
;   counter check: the bad line starts late, so the row counter keeps counting and
;   the first three character columns get no colours (the sprites cover them).
;   PAL: the CPU is stopped from cycle 15 (in the first pad NOP) to 54, resumes on
;   55 and loses 5 cycles to the sprite: 18 cycles of its own (4+4+2+4+4 pad),
;   40 + 5 + 18 = 63. NTSC: one NOP more, 65.
;   Raster 247 (step 199) is the last one on which a bad line can be forced: line 199.
; Step 200 (raster 248) writes $70: the invalid bitmap mode, black down to the next
;   frame, with RSEL clear, so that the border's bottom compare (raster 251 with RSEL
;   set, 247 without) never matches: the vertical border stays open, and rasters
;   48-50, above the display window, show picture lines 0-2. The rest of the screen is
;   black: the invalid mode, the idle state (no colours) or the black sprites.
        .for n = 0, n < 201, n += 1
        lda banks+n,x           ; 4
        sta cia2_pa             ; 4   bank of raster 48 + n
        .if n < 200
        lda #$38 + (n & 7)      ; 2
        .else
        lda #$70
        .endif
        sta vic_ctrl1           ; 4   YSCROLL = raster & 7: a bad line
        .fill PAD, $ea          ; 2 each
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
