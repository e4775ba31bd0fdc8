#!/usr/bin/perl
# Compares the cells of `syscode-cli --query CLASS --json` with what our
# independent probe (wmi_probe.exe) read from the same scripting objects:
# header names, instance counts and every cell, each cell against the text
# that WmiPropertyText makes of the probe's CIM type and VARIANT
# (integer, text, uint64 as text, boolean, real, datetime, reference, arrays
# joined with "|", null as NULL).
#
# Usage: wmi_cells.pl PROBE_OUTPUT CLASS=JSON_FILE...
# Accepts the command line's JSON as it is today ({"result", "instance_count",
# "error", "table": [[header...], [row...]...]}) and with rows as objects keyed
# by property name (in "table", "rows" or "instances", possibly inside a wrapper object, the
# names' order then taken from a "columns"/"header" array when there is one).
# Prints one line per class and the kinds of cells compared; the last line
# reads "N passed, M failed"; exits non-zero when a class failed or a kind of
# value was never compared.
use strict;
use warnings;
use JSON::PP;
use Math::BigInt;

# Values that change between two readings (free space, free memory, the
# clock): only their form is compared.
my %volatile = map { $_ => 1 } qw(
  Win32_LogicalDisk.FreeSpace CIM_LogicalDisk.FreeSpace
  Win32_OperatingSystem.FreePhysicalMemory Win32_OperatingSystem.FreeVirtualMemory
  Win32_OperatingSystem.LocalDateTime
);

my ($probe_file, @pairs) = @ARGV;
die "usage: $0 PROBE_OUTPUT CLASS=JSON_FILE...\n" unless defined $probe_file && @pairs;

sub unescape {
  my $t = shift;
  $t =~ s/\\(.)/$1 eq 't' ? "\t" : $1 eq 'r' ? "\r" : $1 eq 'n' ? "\n" : $1/ge;
  return $t;
}

# The probe's output: class => { count, error, instances => [ [ {name, cim, vt, value, elements} ] ] }
my (%probe, $current);
open my $in, '<:raw', $probe_file or die "$probe_file: $!\n";
while (my $line = <$in>) {
  chomp $line;
  my @f = split /\t/, $line, -1;
  my $tag = shift @f;
  if ($tag eq 'class') {
    $current = $probe{unescape($f[0])} = { count => undef, instances => [] };
  } elsif ($tag eq 'count') {
    $current->{count} = $f[0];
  } elsif ($tag eq 'instance') {
    push @{ $current->{instances} }, { declared => $f[1], properties => [] };
  } elsif ($tag eq 'property') {
    my ($k, $name, $cim, $vt, @value) = @f;
    my %p = (name => unescape($name), cim => $cim, vt => $vt);
    if ($vt & 0x2000) {
      my $n = shift @value;
      $p{elements} = [ map { unescape($_) } @value[0 .. $n - 1] ];
    } else {
      $p{value} = @value ? unescape($value[0]) : undef;
    }
    push @{ $current->{instances}[-1]{properties} }, \%p;
  } elsif ($tag eq 'error') {
    $current->{error} = "$f[0] failed ($f[1])";
  }
}
close $in;

# WmiPropertyText's real rule: 15 significant digits, general format.
sub real_text {
  my $v = shift;
  return ($v < 0 ? '-' : '') . 'INF' if $v == 9**9**9 || $v == -9**9**9;
  return 'NAN' if $v != $v;
  return '0' if $v == 0;
  my $sign = $v < 0 ? '-' : '';
  my ($d1, $rest, $exp) = sprintf('%.14e', abs $v) =~ /^(\d)\.(\d+)e([-+]\d+)$/ or die "real $v";
  my $digits = "$d1$rest";
  $digits =~ s/0+$//;
  my $e = $exp + 1;    # 0.d1d2... x 10^e
  my $k = length $digits;
  if ($e >= -3 && $e <= 15) {
    return $sign . '0.' . ('0' x -$e) . $digits if $e <= 0;
    my $int = $k >= $e ? substr($digits, 0, $e) : $digits . ('0' x ($e - $k));
    my $frac = $k > $e ? substr($digits, $e) : '';
    return $sign . $int . ($frac ne '' ? ".$frac" : '');
  }
  return $sign . substr($digits, 0, 1) . ($k > 1 ? '.' . substr($digits, 1) : '') . 'E' . ($e - 1);
}

my %integer_vt = map { $_ => 1 } (2, 3, 16, 17, 18, 19, 20, 21, 22, 23);
sub integer_text {
  my ($vt, $v) = @_;
  return '0' unless defined $v;
  my $n = Math::BigInt->new($v =~ /^\s*([-+]?\d+)\s*$/ ? $1 : 'NaN');
  return $n->is_nan ? undef : $n->bstr;
}
sub scalar_text {    # the automation conversion to text of one scalar
  my ($vt, $v) = @_;
  return defined $v ? $v : '' if $vt == 8;
  return integer_text($vt, $v) if $integer_vt{$vt};
  return $v eq 'true' ? 'True' : 'False' if $vt == 11;
  return real_text($v) if $vt == 4 || $vt == 5;
  return '' if $vt == 0;
  return undef;
}

my %kinds;
our %column_cim;    # the CIM type a row-object answer gives each column, by name
# The expected cell text, and the kind of value it is, or undef and why not.
sub expected {
  my ($class, $p) = @_;
  my ($cim, $vt) = ($p->{cim}, $p->{vt});
  my $array = $vt & 0x2000;
  my $base = $vt & 0xFFF;
  return ('NULL', 'null') if $vt == 1;
  my $kind = $array ? 'array' : $cim == 21 ? 'uint64-as-text' : $cim == 8 ? 'text' : $cim == 11 ? 'boolean'
           : $cim == 101 ? 'datetime' : $cim == 102 ? 'reference' : $cim == 4 || $cim == 5 ? 'real'
           : 'integer';
  if (grep { $cim == $_ } 2, 3, 16, 17, 18, 19, 20) {
    return (join('|', map { integer_text($base, $_) // return (undef, "no integer: $_") } @{ $p->{elements} }),
            $kind) if $array;
    my $t = integer_text($vt, $p->{value});
    return defined $t ? ($t, $kind) : (undef, "no integer: $p->{value}");
  }
  if ($cim == 8 || $cim == 21) {
    return (join('|', map { scalar_text($base, $_) // return (undef, "vt $base") } @{ $p->{elements} }), $kind)
      if $array;
    my $t = scalar_text($vt, $p->{value});
    return defined $t ? ($t, $kind) : (undef, "no text rule for vt $vt");
  }
  return (undef, "array under CIM type $cim") if $array;
  return ($p->{value} eq 'true' ? 'True' : 'False', $kind) if $cim == 11 && $vt == 11;
  return (real_text($p->{value}), $kind) if ($cim == 4 || $cim == 5) && ($vt == 4 || $vt == 5);
  return ($p->{value} // '', $kind) if ($cim == 101 || $cim == 102) && $vt == 8;
  return ('<CIM Object>', 'object') if $cim == 13;
  return ('<16-bit character>', 'char16') if $cim == 103;
  return ('', 'other') unless grep { $cim == $_ } 2, 3, 4, 5, 8, 11, 16 .. 21, 101, 102;
  return (undef, "no expectation for CIM type $cim with vt $vt");
}

# The table of a --query --json answer as rows of cells, header first.
sub find_table {
  my $j = shift;
  return unless ref $j eq 'HASH';
  for my $key (qw(table rows instances)) {
    return ($j, $j->{$key}) if ref $j->{$key} eq 'ARRAY';
  }
  for my $v (values %$j) {
    my @found = find_table($v);
    return @found if @found;
  }
  return;
}
sub table_rows {    # gives ([header...], [row...]...) from either shape
  my ($holder, $table, $names) = @_;
  %column_cim = ();
  my @columns = ref $holder->{columns} eq 'ARRAY' ? @{ $holder->{columns} }
              : ref $holder->{header} eq 'ARRAY' ? @{ $holder->{header} } : ();
  return @$table if @$table && ref $table->[0] eq 'ARRAY';
  # Columns as names or as {name, cim_type}.
  my @order = map { ref $_ eq 'HASH' ? $_->{name} : $_ } @columns;
  for my $c (@columns) {
    $column_cim{ $c->{name} } = $c->{cim_type} if ref $c eq 'HASH' && exists $c->{cim_type};
  }
  return () if !@$table && !@order;
  @order = @$names unless @order;
  shift @order if @order && $order[0] eq 'Instance';
  my @rows = (['Instance', @order]);
  my $r = 0;
  for my $object (@$table) {
    $r++;
    # A row's display texts: its "text" object where it has one, else the row itself.
    my $cells = ref $object->{text} eq 'HASH' ? $object->{text} : $object;
    my $instance = $object->{instance} // $object->{Instance} // $r;
    my %known = map { $_ => 1 } @order, qw(Instance instance text values);
    push @rows, [ "$instance", (map { $cells->{$_} } @order),
                  map { "<unexpected key $_>" } grep { !$known{$_} } sort keys %$cells ];
  }
  return @rows;
}

my ($passed, $failed) = (0, 0);
my $cells_compared = 0;
for my $pair (@pairs) {
  my ($class, $file) = split /=/, $pair, 2;
  my @problems;
  my $p = $probe{$class};
  my $json = eval {
    local $/;
    open my $fh, '<:raw', $file or die "$file: $!\n";
    decode_json(<$fh>);
  };
  if (!$p) {
    push @problems, 'the probe did not read the class';
  } elsif ($p->{error}) {
    push @problems, "the probe failed: $p->{error}";
  } elsif (!$json) {
    push @problems, "no JSON from the command line: $@";
  } else {
    my ($holder, $table) = find_table($json);
    my $count = $holder && exists $holder->{instance_count} ? $holder->{instance_count} : $holder->{count};
    my @instances = @{ $p->{instances} };
    my @names = @instances ? map { $_->{name} } @{ $instances[0]{properties} } : ();
    push @problems, "instance count $count, the probe's $p->{count}" unless defined $count && $count == $p->{count};
    my $result = $holder->{result};
    my $expected_result = @instances ? scalar @{ $instances[-1]{properties} } : 0;
    push @problems, "result $result, expected $expected_result"
      if defined $result && $result != $expected_result;
    my @rows = table_rows($holder, $table // [], \@names);
    if (!@instances) {
      push @problems, 'rows for a class without instances' if @rows;
    } else {
      my @header = @{ $rows[0] // [] };
      my $want = join(',', 'Instance', @names);
      push @problems, "header (" . join(',', @header) . "), the probe's ($want)" unless join(',', @header) eq $want;
      for my $prop (@{ $instances[0]{properties} }) {
        my $cim = $column_cim{ $prop->{name} };
        push @problems, "column $prop->{name} has CIM type $cim, the probe $prop->{cim}"
          if defined $cim && $cim != $prop->{cim};
      }
      push @problems, scalar(@rows) . " rows, expected " . (@instances + 1) unless @rows == @instances + 1;
      for my $r (1 .. $#instances + 1) {
        my $row = $rows[$r] or next;
        push @problems, "row $r cell 0 is '$row->[0]'" unless $row->[0] eq "$r";
        my @props = @{ $instances[$r - 1]{properties} };
        push @problems, "row $r has " . (@$row - 1) . " cells, the probe " . scalar(@props)
          unless @$row - 1 == @names;
        for my $k (1 .. $#props + 1) {
          my $prop = $props[$k - 1];
          next if $k > @names;
          my $cell = $row->[$k];
          my ($want_cell, $kind) = expected($class, $prop);
          if (!defined $want_cell) {
            push @problems, "row $r $prop->{name}: $kind";
            next;
          }
          if ($volatile{"$class.$prop->{name}"}) {
            my $form = $want_cell =~ /^\d+$/ ? qr/^\d+$/ : qr/^\d{14}\.\d{6}[-+]\d+$/;
            push @problems, "row $r $prop->{name}: '$cell' is not of the form of '$want_cell'"
              unless defined $cell && $cell =~ $form;
            $kinds{'volatile (form only)'}++;
            next;
          }
          $cells_compared++;
          $kinds{$kind}++;
          push @problems, "row $r $prop->{name} (CIM $prop->{cim}, vt $prop->{vt}): '"
                        . ($cell // '<none>') . "', expected '$want_cell'"
            unless defined $cell && $cell eq $want_cell;
        }
      }
    }
  }
  if (@problems) {
    $failed++;
    print "FAIL: $class: ", join('; ', @problems[0 .. ($#problems < 4 ? $#problems : 4)]),
          @problems > 5 ? sprintf('; and %d more', @problems - 5) : '', "\n";
  } else {
    $passed++;
    my $n = $p->{count};
    my $m = $n ? scalar @{ $p->{instances}[0]{properties} } : 0;
    print "PASS: $class: $n instances of $m properties, every cell as the probe read it\n";
  }
}

print "cells compared: $cells_compared; by kind: ",
      join(', ', map { "$_ $kinds{$_}" } sort keys %kinds), "\n";
for my $kind ('integer', 'text', 'uint64-as-text', 'boolean', 'datetime', 'array', 'null') {
  next if $kinds{$kind};
  print "FAIL: no $kind value was compared\n";
  $failed++;
}
print "$passed passed, $failed failed\n";
exit($failed ? 1 : 0);
