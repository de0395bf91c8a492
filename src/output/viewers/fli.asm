; FLI viewer: colours every two pixel rows (four screens per frame) and a different
; frame on every raster line, rotating every video frame.
; Assembled twice: PAL (63 cycles a line, NTSC = 0) and NTSC (65 cycles, NTSC = 1).

        .include "common.inc"

        .weak
NTSC    = 0
        .endweak
DATA    = $1a00 + NTSC * $100   ; the data follows the viewer: $1A00 PAL, $1B00 NTSC
DELAY0  = 8                     ; loops between the raster 47 wait and step 0

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
        #wait_line 47           ; line 47: step 0 writes $D011 on raster 48's cycle 12
        ldx #DELAY0             ; 2 + 5 * DELAY0 - 1
-       dex
        bne -
        nop                     ; x64sc: 1-3 cycles here work, PAL and NTSC; the middle.
                                ; X = 0 from here on (the NTSC stores index with it)

; The line routine, one step per raster line: step n selects the bank of raster
; 48 + n, the screen for its pixel rows, and writes YSCROLL = n & 7, which makes
; that raster line a bad line, so it fetches its colours from that bank and screen:
; picture line y is on raster 48 + y. The screens by n mod 8: +$0400 (rows 0-1) for
; 0-1, +$0800 for 2-3, +$0C00 for 4-5, +$0000 (rows 6-7) for 6-7.
; (Cycles counted 1..63 PAL, 1..65 NTSC, as in the VIC-II timing diagrams. The bad
; line's cycles 12-54 are the same on both; NTSC's two extra cycles move the sprite
; fetches: sprites 0-2 one cycle later, 3-7 one cycle earlier.)
; Raster 48 (step 0): YSCROLL 0 written on cycle 12 (the middle of the three that
;   work), before the row counter check on 14: a normal bad line, which restarts the
;   row counter for picture line 0. The bad line starts on the cycle after the write,
;   so the CPU stops on the read right after it, as on every later line; an earlier
;   write would let it run on and bring step 1 early, a write on 14 is too late.
; Rasters 49-247 (steps 1-199): YSCROLL written on cycle 14, just after the row
;   counter check: the bad line starts late, the row counter keeps counting, and the
;   first three character columns get no colours (the sprites cover them). The CPU
;   is stopped in the next step's first LDA until cycle 55 and loses 5 cycles to the
;   sprite: PAL 40 + 5 + 18 = 63; NTSC 40 + 5 + 20 (STA abs,X) = 65. Raster 247 is
;   the last one on which a bad line can be forced: picture line 199.
; Raster 248 (step 200): bank 3, screen +$0000, and $D011 = $70: the invalid mode,
;   black down to the next frame, with RSEL clear, so that the border's bottom
;   compare (raster 251 with RSEL set, 247 without) never matches: the vertical
;   border stays open, and rasters 48-50, above the display window, show picture
;   lines 0-2. The rest of the screen is black: invalid mode, idle state (no
;   colours), or the black sprites.
screens = [$18, $28, $38, $08]  ; $D018 for pixel rows 0-1, 2-3, 4-5, 6-7
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
        lda #screens[(n & 7) >> 1] ; 2
        .else
        lda #$08
        .endif
        #store vic_mem          ; 4, NTSC 5   screen for the line's pixel rows
        .if n < 200
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
