<?php
/*
 * Tillbox: the cart's arithmetic on the server, and the page tables it reads
 * (coupons.php, catalogue.php). Included by couponChecker.php and
 * orderMailer.php after json.php; defines functions only.
 *
 * The order mailer does not trust the figures a browser posts: it takes the
 * products, quantities, options and coupon of the order and works the order
 * out again exactly as the cart script (mootools.tillbox.js) does, from the
 * page's catalogue table, which holds the same texts the listing gives the
 * cart. Amounts are integers in the shop's smallest unit; prices are read in
 * ten-thousandths. Both sides are checked against one table of test carts.
 */

/* A plain decimal ("12.5000") in ten-thousandths, a fifth decimal rounded
   half up; null when empty or not a number. */
function tillbox_parse4($text)
{
    $s = trim((string)$text);
    if ($s === '') {
        return null;
    }
    if (preg_match('/^([+-])?(\d*)(?:\.(\d*))?$/', $s, $m) !== 1 || ($m[2] === '' && (!isset($m[3]) || $m[3] === ''))) {
        return is_numeric($s) ? (int)round((float)$s * 10000) : null;
    }
    if (strlen($m[2]) > 14) {
        return null;
    }
    $digits = (isset($m[3]) ? $m[3] : '') . '00000';
    $value = (int)($m[2] === '' ? '0' : $m[2]) * 10000 + (int)substr($digits, 0, 4);
    if ((int)$digits[4] >= 5) {
        $value += 1;
    }
    return $m[1] === '-' ? -$value : $value;
}

/* Ten-thousandths to the shop's unit, half away from zero. */
function tillbox_round4($value4, $decimals)
{
    $scale = (int)pow(10, 4 - $decimals);
    $rounded = intdiv(abs($value4) + intdiv($scale, 2), $scale);
    return $value4 < 0 ? -$rounded : $rounded;
}

function tillbox_amount($text, $decimals)
{
    $value4 = tillbox_parse4($text);
    return $value4 === null ? null : tillbox_round4($value4, $decimals);
}

/* An amount as a plain decimal with "." and the shop's decimals. */
function tillbox_plain($amount, $decimals)
{
    $digits = str_pad((string)abs($amount), $decimals + 1, '0', STR_PAD_LEFT);
    $whole = substr($digits, 0, strlen($digits) - $decimals);
    $text = $decimals > 0 ? $whole . '.' . substr($digits, -$decimals) : $whole;
    return ($amount < 0 ? '-' : '') . $text;
}

/* What JavaScript's parseFloat makes of a text: the leading number, or null. */
function tillbox_parse_float($text)
{
    if (preg_match('/^\s*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)/', (string)$text, $m) !== 1) {
        return null;
    }
    return (float)$m[1];
}

/* The page's settings the arithmetic depends on, from its catalogue table. */
function tillbox_page_settings($catalogue)
{
    $decimals = (int)tillbox_table_text($catalogue, 'decimals');
    $type = tillbox_table_text($catalogue, 'tierType');
    $tiers = array();
    foreach (isset($catalogue['tiers']) && is_array($catalogue['tiers']) ? $catalogue['tiers'] : array() as $tier) {
        $tiers[] = array('limit' => tillbox_table_text($tier, 'limit'), 'value' => tillbox_table_text($tier, 'value'));
    }
    return array(
        'decimals' => ($decimals >= 0 && $decimals <= 4) ? $decimals : 2,
        'showTaxes' => tillbox_table_text($catalogue, 'showTaxes') === 'true',
        'currency' => tillbox_table_text($catalogue, 'currency'),
        'tierType' => in_array($type, array('item', 'price', 'weight'), true) ? $type : '',
        'tiers' => array_slice($tiers, 0, 5),
    );
}

function tillbox_table_text($array, $key)
{
    return is_array($array) && isset($array[$key]) && is_string($array[$key]) ? $array[$key] : '';
}

/* The additional cost of the first tier whose limit covers the measure. */
function tillbox_tier_cost($measure, $page)
{
    if ($page['tierType'] === '') {
        return 0;
    }
    foreach ($page['tiers'] as $tier) {
        $limit = $page['tierType'] === 'price' ? tillbox_amount($tier['limit'], $page['decimals'])
            : tillbox_parse_float($tier['limit']);
        if ($limit === null || $limit <= 0) {
            continue;
        }
        if ($limit >= $measure - 1e-9) {
            $value = tillbox_amount($tier['value'], $page['decimals']);
            return $value === null ? 0 : $value;
        }
    }
    return 0;
}

/* The discount of $coupon (type "%" or "$", value text, sku) on the lines. */
function tillbox_coupon_discount($coupon, $lines, $decimals)
{
    if ($coupon === null) {
        return 0;
    }
    $base = 0;
    foreach ($lines as $line) {
        if ($coupon['sku'] === '' || $coupon['sku'] === $line['sku']) {
            $base += ($line['net'] + $line['tax']) * $line['quantity'];
        }
    }
    $value = tillbox_parse_float($coupon['value']);
    if ($base <= 0 || $value === null || $value <= 0) {
        return 0;
    }
    if ($coupon['type'] === '%') {
        return (int)min($base, floor($base * min($value, 100) / 100 + 0.5));
    }
    $amount = tillbox_amount($coupon['value'], $decimals);
    return min($base, $amount === null ? 0 : $amount);
}

/*
 * Everything the cart shows, for $lines: each array('id', 'sku',
 * 'quantity', 'product' => catalogue entry, 'values' => the chosen list
 * values' entries). The result's amounts are in the shop's smallest unit:
 * lines (each with shown, tax, net), count, subtotal, net, taxes, shipping,
 * additional, discount, weight, total.
 */
function tillbox_cart_totals($page, $lines, $coupon)
{
    $d = $page['decimals'];
    $totals = array('lines' => array(), 'count' => 0, 'subtotal' => 0, 'net' => 0, 'taxes' => 0, 'shipping' => 0,
        'additional' => 0, 'discount' => 0, 'weight' => 0.0, 'total' => 0);
    $shipped = array();
    foreach ($lines as $line) {
        $product = $line['product'];
        $net4 = (int)tillbox_parse4(tillbox_table_text($product, 'price'));
        $tax4 = (int)tillbox_parse4(tillbox_table_text($product, 'taxes'));
        $weight = (float)tillbox_parse_float(tillbox_table_text($product, 'weight'));
        foreach ($line['values'] as $value) {
            $net4 += (int)tillbox_parse4(tillbox_table_text($value, 'price'));
            $tax4 += (int)tillbox_parse4(tillbox_table_text($value, 'taxes'));
            $weight += (float)tillbox_parse_float(tillbox_table_text($value, 'weight'));
        }
        $tax = tillbox_round4($tax4, $d);
        $shown = tillbox_round4($page['showTaxes'] ? $net4 + $tax4 : $net4, $d);
        $net = $page['showTaxes'] ? $shown - $tax : $shown;
        $quantity = $line['quantity'];

        // The first item of a product pays the first-item rate, wherever it
        // stands; its other lines pay the further-item rate only.
        $first = tillbox_amount(tillbox_table_text($product, 'shipping1'), $d);
        if ($first !== null) {
            $further = (int)tillbox_amount(tillbox_table_text($product, 'shipping2'), $d);
            $before = isset($shipped[$line['id']]) ? $shipped[$line['id']] : 0;
            $totals['shipping'] += ($before === 0 ? $first : $further) + $further * ($quantity - 1);
            $shipped[$line['id']] = $before + $quantity;
        }
        $totals['lines'][] = array('sku' => $line['sku'], 'quantity' => $quantity, 'shown' => $shown, 'tax' => $tax,
            'net' => $net);
        $totals['count'] += $quantity;
        $totals['subtotal'] += $shown * $quantity;
        $totals['net'] += $net * $quantity;
        $totals['taxes'] += $tax * $quantity;
        $totals['weight'] += $weight * $quantity;
    }
    $measure = $page['tierType'] === 'item' ? $totals['count']
        : ($page['tierType'] === 'price' ? $totals['subtotal'] : $totals['weight']);
    $totals['additional'] = $totals['count'] > 0 ? tillbox_tier_cost($measure, $page) : 0;
    $totals['discount'] = tillbox_coupon_discount($coupon, $totals['lines'], $d);
    $totals['total'] = max(0, $totals['net'] + $totals['taxes'] + $totals['shipping'] + $totals['additional']
        - $totals['discount']);
    return $totals;
}

/* An option or value name as the cart reads it from the page's HTML. */
function tillbox_html_text($html)
{
    $text = preg_replace('/<br\s*\/?>/i', ' ', (string)$html);
    $text = html_entity_decode(strip_tags($text), ENT_QUOTES | ENT_HTML5, 'UTF-8');
    return trim(preg_replace('/\s+/u', ' ', $text));
}

/*
 * The list values an order line chose, from its posted options (each
 * array('name', 'value')); what the product does not offer is added to
 * $problems.
 */
function tillbox_chosen_values($product, $posted, $what, &$problems)
{
    $values = array();
    $options = isset($product['options']) && is_array($product['options']) ? $product['options'] : array();
    foreach ($posted as $choice) {
        $found = null;
        foreach ($options as $option) {
            if (tillbox_html_text(tillbox_table_text($option, 'name')) === $choice['name']) {
                $found = $option;
                break;
            }
        }
        if ($found === null) {
            $problems[] = $what . ': the product has no option "' . $choice['name'] . '".';
            continue;
        }
        if (tillbox_table_text($found, 'type') !== '20') {
            continue; // typed in: no price of its own
        }
        $value = null;
        foreach (isset($found['values']) && is_array($found['values']) ? $found['values'] : array() as $entry) {
            if (tillbox_html_text(tillbox_table_text($entry, 'name')) === $choice['value']) {
                $value = $entry;
                break;
            }
        }
        if ($value === null) {
            $problems[] = $what . ': "' . $choice['name'] . '" has no value "' . $choice['value'] . '".';
        } else {
            $values[] = $value;
        }
    }
    return $values;
}

/*
 * Runs a page table (coupons.php, catalogue.php) with $constant defined, so
 * that it fills $variable instead of answering 404. Null when it cannot be
 * run.
 */
function tillbox_run_table($path, $constant, $variable)
{
    if (!defined($constant)) {
        define($constant, true);
    }
    $$variable = array();
    try {
        ob_start();
        include $path;
        ob_end_clean();
    } catch (Throwable $e) {
        ob_end_clean();
        error_log('Tillbox: ' . basename($path) . ' could not be read: ' . $e->getMessage());
        return null;
    }
    return is_array($$variable) ? $$variable : null;
}

/*
 * A coupon table's entry normalised, or null when it is malformed: a bad
 * entry makes its coupon invalid rather than guessing what it meant.
 */
function tillbox_coupon_entry($entry)
{
    if (!is_array($entry)) {
        return null;
    }
    $coupon = array();
    foreach (array('code', 'text', 'from', 'to', 'value', 'type', 'sku') as $key) {
        if (!isset($entry[$key]) || !is_string($entry[$key])) {
            return null;
        }
        $coupon[$key] = $entry[$key];
    }
    $coupon['code'] = trim($coupon['code']);
    $coupon['sku'] = trim($coupon['sku']);
    foreach (array('from', 'to') as $key) {
        if ($coupon[$key] !== '' && preg_match('/^\d{4}-\d{2}-\d{2}$/', $coupon[$key]) !== 1) {
            return null;
        }
    }
    // A plain decimal; a comma separator is tolerated.
    $value = str_replace(',', '.', trim($coupon['value']));
    if ($coupon['code'] === '' || preg_match('/^\d+(\.\d+)?$/', $value) !== 1) {
        return null;
    }
    $coupon['value'] = $value;
    if ($coupon['type'] !== '%' && $coupon['type'] !== '$') {
        return null;
    }
    if ($coupon['type'] === '%' && (float)$value > 100) {
        return null;
    }
    return $coupon;
}

/*
 * The coupon of $coupons (a table's entries) with the code $typed (case
 * ignored) that is valid today for a cart of $skus; null when there is none.
 * The dates are days: "yyyy-mm-dd" text compares in date order, so a coupon
 * runs from the start of its first day to the end of its last day.
 */
function tillbox_find_coupon($coupons, $typed, $skus)
{
    $today = date('Y-m-d');
    foreach ($coupons as $entry) {
        $coupon = tillbox_coupon_entry($entry);
        if ($coupon === null || !tillbox_same_text_ignoring_case($coupon['code'], $typed)) {
            continue;
        }
        if (($coupon['from'] !== '' && strcmp($today, $coupon['from']) < 0)
            || ($coupon['to'] !== '' && strcmp($today, $coupon['to']) > 0)) {
            continue;
        }
        if ($coupon['sku'] === '' || in_array($coupon['sku'], $skus, true)) {
            return $coupon;
        }
    }
    return null;
}
