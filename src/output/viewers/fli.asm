; FLI viewer: colours every two pixel rows (four screens per frame) and a different
; frame on every raster line, rotating every video frame.
; Assembled twice: PAL (63 cycles a line, NTSC = 0) and NTSC (65 cycles, NTSC = 1).

        .include "common.inc"

        .weak
NTSC    = 0
        .endweak
DATA    = $1a00 + NTSC * $100   ; the data follows the viewer: $1A00 PAL, $1B00 NTSC
SPRITE_X = 24 + 8 * NTSC
DELAY0  = 9                     ; loops between the raster 47 wait and step 0

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

; The black column: PAL X = 24 covers columns 0-2; NTSC X = 32 covers columns 1-3 (the
; NTSC bad lines start one cycle later). Pointers in all four screens of every bank.
sprites #sprite_column SPRITE_X, 4

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

; The line routine, one step per raster line: step n selects the bank of raster
; 48 + n, the screen for its pixel rows, and writes YSCROLL = n & 7, which makes
; that raster line a bad line, so it fetches its colours from that bank and screen.
; The screens by n mod 8: +$0000 (rows 6-7) for 0-1, +$0400 (rows 0-1) for 2-3,
; +$0800 for 4-5, +$0C00 for 6-7: the picture's line 0 is raster 50 (step 2), just
; above the display window, and picture line y is on raster 50 + y.
; Raster 48 (step 0): YSCROLL 0 is written before the line's cycle 12, a normal bad
;   line that stops the CPU and so puts the routine in step with the beam.
; Rasters 49-50 (steps 1-2): early in their lines too; raster 50, a normal bad
;   line, restarts the row counter: picture line 0 is on raster 50, under the top
;   border, and the display window (rasters 51-250) starts with picture line 1.
; Rasters 51-247 (steps 3-199): YSCROLL written just after the row counter check
;   (PAL cycle 14, NTSC cycle 15): the bad line starts late, the row counter keeps
;   counting, and the first three character columns get no colours (PAL columns
;   0-2; NTSC 1-3, column 0 keeps colours fetched further up: the sprites cover
;   columns 0-2 and 1-3). The CPU is stopped in the next step's first LDA until
;   cycle 55 and loses 5 cycles to the sprite: PAL 40 + 5 + 18 = 63; NTSC the bad
;   line starts a cycle later, 39 + 5 + 21 (with the BIT) = 65.
; Step 199 (raster 247) writes $7F to $D011: the invalid bitmap mode shows black,
;   from picture line 197 to the bottom border; step 200 (raster 248, where bad
;   lines end) leaves bank 3, screen +$0000 and $78.
bank_ops := []                  ; addresses of the bank operands of steps 0-199
        .for n = 0, n < 201, n += 1
        .if n < 200
bank_ops ..= [* + 1]
        lda #n % 3              ; 2   bank operand, patched every frame
        .else
        lda #0
        .endif
        sta cia2_pa             ; 4
        .if n < 200
        lda #((n & 7) >> 1) * $10 + $08 ; 2
        .else
        lda #$08
        .endif
        sta vic_mem             ; 4   screen for the line's pixel rows
        .if n < 199
        lda #$38 + (n & 7)      ; 2
        .elsif n == 199
        lda #$7f
        .else
        lda #$78
        .endif
        sta vic_ctrl1           ; 4   YSCROLL = raster & 7: a bad line
        .if NTSC
        bit $ea                 ; 3   NTSC lines are 2 cycles longer
        .endif
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
