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

; Five black sprites, each 24 x 42 lines (Y expanded), stacked from Y = 49 to 258:
; a column over the leftmost character columns, whose colours the forced bad lines
; fetch too late. PAL: X = 24 covers columns 0-2; NTSC: X = 32 covers columns 1-3
; (the NTSC bad lines start one cycle later). One sprite is on each line, so each
; line loses the same number of cycles to sprite DMA.
sprites ldx #63
        lda #$ff
-       sta $7f80,x             ; image $FE in all three banks
        sta $bf80,x
        sta $ff80,x
        dex
        bpl -
        ldx #4
-       lda #$fe                ; pointer $FE in all four screens of every bank
        .for b = $4000, b < $10000, b += $4000
        .for s = 0, s < $1000, s += $400
        sta b + s + $3f8,x
        .endfor
        .endfor
        lda #0
        sta vic_spr_col,x
        txa
        asl a
        tay
        lda #SPRITE_X
        sta vic_spr_x,y
        lda sprite_y,x
        sta vic_spr_y,y
        dex
        bpl -
        lda #0
        sta vic_msb_x
        sta vic_expx
        sta vic_multi
        sta vic_prio
        lda #$1f
        sta vic_expy
        sta vic_spr_on
        rts
sprite_y .byte 49, 91, 133, 175, 217

; ---- raster interrupt: line 38, stabilised on line 39 ----
irq_line38
        #stable_first irq_line39
irq_line39
        #stable_second          ; line 39/40, cycle-exact from here
        .if PROBE
        lda #1
        sta vic_border
        lda #0
        sta vic_border
        .endif
        lda #$3b                ; bitmap mode, display on, YSCROLL 3
        sta vic_ctrl1
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
