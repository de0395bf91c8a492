; FLI viewer: colours every two pixel rows (four screens per frame) and a different
; frame on every raster line, rotating every video frame.
; Assembled twice: PAL (63 cycles a line, NTSC = 0) and NTSC (65 cycles, NTSC = 1).

        .include "common.inc"

        .weak
NTSC    = 0
        .endweak
DATA    = $1a00 + NTSC * $100   ; the data follows the viewer: $1A00 PAL, $1B00 NTSC
DELAY0  = 9                     ; loops between the raster 47 wait and step 0

; The first two stores of a step: STA abs on PAL; on NTSC STA abs,X with X = 0, one
; cycle longer each, the two extra cycles of NTSC's 65-cycle lines. A NOP would do the
; same on most lines, but where sprite 3's fetch falls (rasters 176-217) the write cycle
; of STA $DD00 lands in the three cycles the VIC-II gives the CPU before it takes the
; bus; the CPU goes on writing there, and the step would hit $D011 one cycle early,
; a bad line in time to restart the row counter. With the two STA abs,X, no write
; falls into any sprite's bus request, and every step writes $D011 on cycle 14.
store   .macro address
        .if NTSC
        sta \address,x          ; X = 0; its extra cycle reads the register (harmless)
        .else
        sta \address
        .endif
        .endm

        #header setup
        * = $0819
        #rti_and_save

setup   sei
        #video_first $0b        ; display blanked while the data moves
        #move_fli DATA
        #irq_setup $05, irq_line38
        lda #2                  ; VIC bank 1: frame 1
        sta cia2_pa
        jsr sprites
        #irq_enable

; The black column at X = 24 over columns 0-2, which the late bad lines leave without
; colours (PAL and NTSC alike). Pointers in all four screens of every bank.
sprites #sprite_column 24, 4

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
        nop                     ; 0-3 cycles more here all work (x64sc, PAL and
                                ; NTSC); the NOP's 2 sit inside that range.
                                ; X = 0 from here on (the NTSC stores index with it)

; The line routine, one step per raster line: step n selects the bank of raster
; 48 + n, the screen for its pixel rows, and writes YSCROLL = n & 7, which makes
; that raster line a bad line, so it fetches its colours from that bank and screen.
; The screens by n mod 8: +$0000 (rows 6-7) for 0-1, +$0400 (rows 0-1) for 2-3,
; +$0800 for 4-5, +$0C00 for 6-7: picture line y is on raster 50 + y.
; (Cycles counted 1..63 PAL, 1..65 NTSC, as in the VIC-II timing diagrams. The bad
; line's cycles 12-54 are the same on both; NTSC's two extra cycles move the sprite
; fetches: sprites 0-2 one cycle later, 3-7 one cycle earlier.)
; Rasters 48-49 (steps 0-1): YSCROLL written before the line's cycle 12, normal bad
;   lines that stop the CPU and so put the routine in step with the beam. They show
;   line 0's bitmap in the wrong colours, so they set the invalid mode (ECM + BMM:
;   black) as well; the border no longer hides them (see step 200).
; Raster 50 (step 2): early in its line too, a normal bad line that restarts the row
;   counter: picture line 0, one line above the display window.
; Rasters 51-247 (steps 3-199): YSCROLL written on cycle 14, just after the row
;   counter check: the bad line starts late, the row counter keeps counting, and the
;   first three character columns get no colours (the sprites cover them). The CPU
;   is stopped in the next step's first LDA until cycle 55 and loses 5 cycles to the
;   sprite: PAL 40 + 5 + 18 = 63; NTSC 40 + 5 + 20 (STA abs,X) = 65. Raster 247 is
;   the last one on which a bad line can be forced: picture line 197.
; Raster 248 (step 200): bank 3, screen +$0000, and $D011 = $70: the invalid mode,
;   black down to the next frame, with RSEL clear, so that the border's bottom
;   compare (raster 251 with RSEL set, 247 without) never matches: the vertical
;   border stays open and raster 50 shows. Everything outside the picture lines is
;   black anyway: invalid mode, idle state (no colours), or the black sprites.
bank_ops := []                  ; addresses of the bank operands of steps 0-199
        .for n = 0, n < 201, n += 1
        .if n < 200
bank_ops ..= [* + 1]
        lda #n % 3              ; 2   bank operand, patched every frame
        .else
        lda #0
        .endif
        #store cia2_pa          ; 4, NTSC 5
        .if n < 200
        lda #((n & 7) >> 1) * $10 + $08 ; 2
        .else
        lda #$08
        .endif
        #store vic_mem          ; 4, NTSC 5   screen for the line's pixel rows
        .if n < 2
        lda #$78 + n            ; 2   black, but a bad line all the same
        .elsif n < 200
        lda #$38 + (n & 7)
        .else
        lda #$70                ;     black, RSEL clear: the border stays open
        .endif
        sta vic_ctrl1           ; 4   YSCROLL = raster & 7: a bad line
        .endfor

; Raster ~249: rotate the bank operands of steps 0-199 by one for the next frame
; (800 cycles of stores, done long before raster 38 comes round again):
; step n gets table[phase + n mod 3], i.e. (phase + n) mod 3.
phase   ldy #1                  ; frame phase of the next video frame
        lda rotation,y
        ldx rotation+1,y
        pha
        lda rotation+2,y
        tay
        pla
        .for n = 0, n < 200, n += 1
        .if n % 3 == 0
        sta bank_ops[n]
        .elsif n % 3 == 1
        stx bank_ops[n]
        .else
        sty bank_ops[n]
        .endif
        .endfor
        lda phase+1             ; advance the frame phase 0, 1, 2, 0, ...
        clc
        adc #1
        cmp #3
        bne +
        lda #0
+       sta phase+1
        #irq_return irq_line38

rotation .byte 0, 1, 2, 0, 1, 2

        #copy_routines
        #finish
