; Mask viewer ("Ass Lace"): whole frames 3, 2, 1 in turn under a 2 x 1 checkerboard of
; sprites that hides half of the pixel pairs and inverts every video frame.
; Assembled twice: PAL (63 cycles a line, NTSC = 0) and NTSC (65 cycles, NTSC = 1).
; The space bar steps the mask colour (checked once every 33 video frames).

        .include "common.inc"

        .weak
NTSC    = 0
        .endweak
D155    = 38 - 5 * NTSC         ; cycles from the raster 154 wait to the $D018 switch

PATTERN_A = $fd                 ; bank+$3F40: rows $AA $AA $AA / $55 $55 $55 ...
PATTERN_B = $fe                 ; bank+$3F80: the same starting with $55

        #header setup
        * = $0819
        #rti_and_save

setup   sei
        #video_first $3b        ; bitmap mode at once
        #move_nonfli 1          ; screens also to bank+$0400
        #irq_setup $35, irq_line38
        jsr sprites
        #irq_enable

; Checkerboard images in all three banks, and sprites 0-6 side by side, X-expanded
; (48 pixels each) from X = 24: together they cover the 320 pixels of the picture.
sprites ldx #63
-       lda image_a,x
        sta $7f40,x
        sta $bf40,x
        sta $ff40,x
        lda image_b,x
        sta $7f80,x
        sta $bf80,x
        sta $ff80,x
        dex
        bpl -
        ldx #12
-       lda sprite_x,x
        sta vic_spr_x,x
        dex
        dex
        bpl -
        lda #$60                ; sprites 5 and 6 right of X = 255
        sta vic_msb_x
        lda #0
        sta vic_expy
        sta vic_multi
        sta vic_prio
        lda #$ff
        sta vic_expx
        sta vic_spr_on
        lda #$c8
        sta vic_ctrl2
        rts
image_a .for r = 0, r < 21, r += 1
        .byte (r & 1) ? [$55, $55, $55] : [$aa, $aa, $aa]
        .endfor
        .byte 0
image_b .for r = 0, r < 21, r += 1
        .byte (r & 1) ? [$aa, $aa, $aa] : [$55, $55, $55]
        .endfor
        .byte 0
sprite_x .byte 24, 0, 72, 0, 120, 0, 168, 0, 216, 0, 264 - 256, 0, 312 - 256, 0

; ---- raster interrupt: line 38, stabilised on line 39 ----
irq_line38
        #stable_first irq_line39
irq_line39
        #stable_display         ; all set by cycle ~45 of line 40
frame   lda #0                  ; frame value 0, 1, 2: $DD00 for frame 3, 2, 1
        sta cia2_pa
        lda #$08                ; sprite row 0 takes its pointers from bank+$0000
        sta vic_mem
        lda #$c8
        sta vic_ctrl2
colour  lda #0                  ; mask colour, stepped by the space bar
        ldx #6
-       sta vic_spr_col,x       ; sprites 0-6
        dex
        bpl -
        lda #50
        ldx #12
-       sta vic_spr_y,x
        dex
        dex
        bpl -
pattern lda #PATTERN_A          ; pattern of the screens at bank+$0000
        ldx #7
-       sta $43f8,x
        sta $83f8,x
        sta $c3f8,x
        dex
        bpl -
        eor #PATTERN_A ^ PATTERN_B
        ldx #7
-       sta $47f8,x             ; the other one for the copies at bank+$0400
        sta $87f8,x
        sta $c7f8,x
        dex
        bpl -

; Ten sprite rows of 21 lines, at Y = 50, 71, ... 239 (each shown from raster Y + 1).
; For row k: from raster Y_k - 3 the sprites move down to Y_k (the VIC compares Y on
; cycle 55; the row on show does not care), and on raster Y_k, between the last
; pointer fetch of the old row (sprite 6, cycle 8) and the first of the new one
; (sprite 0, cycle 58), $D018 switches to the other screen copy and so to the other
; pattern. With seven sprites the CPU is stopped from cycle 55 to cycle 8 of every
; line, so the wait for raster Y_k ends on cycle 9 or a few later: well inside.
; Raster 155 is a bad line that leaves the CPU only cycles 9-11 (and writes up to
; 14): there the STA is started on raster 154 so that the sprite DMA stops it inside
; the instruction and its write lands at the start of 155 (D155 measured on x64sc:
; PAL 37-39 work, NTSC 31-35).
        .for k = 1, k < 10, k += 1
        #wait_from 50 + 21 * k - 3
        lda #50 + 21 * k
        sta vic_spr_y
        sta vic_spr_y+2
        sta vic_spr_y+4
        sta vic_spr_y+6
        sta vic_spr_y+8
        sta vic_spr_y+10
        sta vic_spr_y+12
        .if 50 + 21 * k == 155
        #wait_from 154
        lda #$08 + (k & 1) * $10
        #cycles D155
        .else
        lda #$08 + (k & 1) * $10
        ldx #50 + 21 * k - 1
-       cpx vic_raster
        bcs -                   ; until raster > Y_k - 1
        .endif
        sta vic_mem
        .endfor

        lda pattern+1           ; raster ~240: the checkerboard inverts every frame
        eor #PATTERN_A ^ PATTERN_B
        sta pattern+1
        ldx frame+1             ; next frame value 0 -> 1 -> 2 -> 0
        inx
        cpx #3
        bne +
        ldx #0
+       stx frame+1
count   lda #0                  ; video frames 0..32 since the last keyboard look
        cmp #32
        beq keys
        inc count+1
        jmp done
keys    lda #0
        sta count+1
        lda cia1_pb             ; the row the system left selected: space bar = $EF
        cmp #$ef
        bne done
        inc colour+1            ; next mask colour (the VIC uses the low 4 bits)
done    #irq_return irq_line38

        #copy_routines
        #finish
