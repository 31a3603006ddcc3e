/*
 * Tillbox shop cart.
 *
 * The file keeps its historical name, but it is plain modern JavaScript
 * (ES2017+) with no library and no build step. It adds exactly one global,
 * `Tillbox`, and changes no built-in prototype. The page header loads it with
 * `defer` and, on DOMContentLoaded, calls `Tillbox.configure({...})` once with
 * the shop's settings (names below). The product listing is plain HTML: one
 * <form data-tillbox-product> per product, which this script turns into
 * "add to cart" forms.
 *
 * Configuration (every value may come as text; booleans as "true"/"false"):
 *   version, commonPath            plug-in version; shared folder ".../rw_common/plugins/tillbox"
 *   cartID, cartExpiration         cookie name; lifetime in hours (0: until the browser closes)
 *   cartReturnURL                  Base64: where PayPal sends the shopper back
 *   cartFontSize, cartWidth, cartPosition ("top"|"bottom"), cartAlignment
 *   ("left"|"center"|"right"), cartProductImagesSize (px), cartPriceColumnWidth,
 *   effectsDuration (ms), cartBackgroundColor, cartBorderColor, cartButtonColor,
 *   cartTextColor, cartImageBackgroundColor (hex, no "#")
 *   decimalNumberIndex (0..4), decimalSeparator ("." or ","; the thousands
 *   separator is the other one), showPricesIncludingTaxes, currencySymbol,
 *   currencyPosition ("left"|"right"), currencySpace
 *   enableCompatibilityMode        cart bar in the page flow, no fixed bar, no effects
 *   enableCoupons, enableDisclaimer, cartDisclaimerTemplate (id of a <template>)
 *   enablePayPal, payPalAccount (Base64), payPalCurrency, payPalLanguageCode, enablePayPalSandbox
 *   enableGoogleCheckout, googleCheckoutAccount (Base64), googleCheckoutCurrency
 *   enableEJunkie, eJunkieAccount (Base64)
 *   enableSisow, sisowAccount (Base64), sisowSignature (Base64)
 *   enableDirectOrder, directOrderEmail/Subject/Text, directOrderEmailFieldTag (1..15),
 *   directOrderRequired (15 chars of 0/1), directOrderUniqueIDEnabled,
 *   directOrderUniqueIDPrefix, directOrderFields (15 labels; empty = not asked)
 *   additionalCostsDescription, additionalCostsType ("item"|"price"|"weight";
 *   anything else: no tiers), additionalCostsLimits[5], additionalCostsValues[5]
 *   texts                          shopper texts keyed by text key (i18nSubtotal ...)
 *
 * Product form data attributes (template_item):
 *   data-tillbox-product (product ID), data-sku, data-name (HTML), data-price
 *   (net unit price), data-taxes (tax of one unit), data-shipping1 (first
 *   unit) and data-shipping2 (each further unit), both empty when the product
 *   ships free, data-limit (purchase limit, 0 = none), data-weight.
 *   Options: every .tbOptionControl in the form, in order, with
 *   data-option-name; list values are <option>s with data-price, data-taxes,
 *   data-weight. A disabled submit button marks the product out of stock.
 *
 * Arithmetic. Amounts are integers in the shop's smallest unit (cents with two
 * decimals). For each line the unit tax is rounded first; the unit price as
 * shown is rounded from the net price, or from net price plus tax when prices
 * are shown including taxes (exactly what the listing shows). Then:
 *   net = shown - tax (with taxes included) or shown (without)
 *   subtotal   = sum of shown line amounts
 *   taxes      = sum of unit tax x quantity; added to the total only when the
 *                prices shown exclude it, otherwise listed as included
 *   shipping   = per product over all its lines: data-shipping1 for the
 *                first item, data-shipping2 for each further item
 *   additional = the tier of the additional costs: the tiers are taken in
 *                order 0..4; a tier with limit 0 is unused; the first tier
 *                whose limit >= the measure gives its value; above every
 *                limit nothing is charged. Measure: item count, the subtotal
 *                (before the coupon) or the total weight. An empty cart pays none.
 *   discount   = coupon: "%" takes that share of the matching lines' amount
 *                including tax; "$" takes the amount once, at most the
 *                matching lines' amount. A coupon with an empty SKU matches
 *                every line.
 *   total      = net + taxes + shipping + additional - discount, never below 0.
 *
 * Server contracts (the PHP scripts live in the shared "tillbox" folder):
 *
 *   Coupon check: POST commonPath/tillbox/couponChecker.php, form-encoded:
 *     code     the code the shopper typed, trimmed
 *     skus     the SKUs of the cart's lines, comma-separated, each once
 *     coupons  the page's files folder relative to the site root ("shop/files"),
 *              where that page's coupons.php lies
 *   Answer JSON: {"valid":bool,"code":"...","text":"...","type":"%"|"$",
 *                 "value":number,"sku":"..."}; sku "" applies to every line.
 *
 *   Direct order: POST commonPath/tillbox/orderMailer.php, form-encoded:
 *     fields[1..15]  what the shopper typed (fields with a label only)
 *     labels[1..15]  the labels shown
 *     lines          JSON array of {id, name, sku, options, quantity, price,
 *                    total, catalogue} (options [{name, value}]; price per unit
 *                    and total as shown; catalogue the files folder of a line
 *                    from another shop page, else "")
 *     catalogue      this page's files folder, as for the coupon check: the
 *                    mailer checks the figures against its catalogue.php
 *     orderKey       32 hex digits made once per checkout, the same on every
 *                    retry: the mailer sends each key's order once
 *     subtotal, taxes, shipping, additionalCosts, discount, total
 *                    plain decimals with "." and the shop's decimals
 *     taxesIncluded  "true" when the prices include the taxes
 *     currency       currency code; coupon: the applied code or ""
 *     website        honeypot, empty unless a robot filled it
 *   Answer JSON: {"ok":bool,"orderId":"...","error":"..."}
 */
(function (window, document) {
	"use strict";

	const Tillbox = window.Tillbox || {};
	window.Tillbox = Tillbox;

	const COMMON_ICON_NAMES = ["iconTotal", "iconEmpty", "iconCheckout", "iconAgree", "iconHide",
		"iconCartEmpty", "iconSend", "iconLoader", "iconBack", "iconCartFull", "iconSearch", "iconRemove",
		"iconIncrease0", "iconIncrease1", "iconDecrease0", "iconDecrease1", "iconDelete0", "iconDelete1"];

	const CHECKOUT_URLS = {
		paypal: "https://www.paypal.com/cgi-bin/webscr",
		paypalSandbox: "https://www.sandbox.paypal.com/cgi-bin/webscr",
		google: "https://checkout.google.com/api/checkout/v2/checkoutForm/Merchant/",
		ejunkie: "https://www.e-junkie.com/ecom/gb.php",
		// Sisow's transaction request; the signature is the account signature
		// of the header, because the page cannot hold the merchant key.
		sisow: "https://www.sisow.nl/Sisow/iDeal/RestHandler.ashx/TransactionRequest"
	};

	// The class the page's head puts on the root element for a fixed bar at the top.
	const ROOM_CLASS = "tbRoom-top-false";

	// Cookies hold about 4 KB; a larger cart goes to web storage.
	const COOKIE_LIMIT = 3800;
	const PAYPAL_OPTION_FIELDS = 2;

	/* ------------------------------------------------------------------ */
	/* Values from the configuration                                       */
	/* ------------------------------------------------------------------ */

	function toBool(value) {
		return value === true || value === "true" || value === "1" || value === 1;
	}

	function toInt(value, fallback) {
		const n = parseInt(value, 10);
		return Number.isFinite(n) ? n : fallback;
	}

	function toText(value) {
		return value === undefined || value === null ? "" : String(value);
	}

	// Account values arrive as Base64 of their UTF-8 bytes, possibly wrapped.
	function decodeBase64(value) {
		const compact = toText(value).replace(/\s+/g, "");
		if (!compact) return "";
		try {
			const binary = window.atob(compact);
			const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
			return new TextDecoder("utf-8").decode(bytes);
		} catch (error) {
			return "";
		}
	}

	function cssColor(hex, fallback) {
		const text = toText(hex).trim().replace(/^#/, "");
		return /^[0-9a-fA-F]{6}$/.test(text) ? "#" + text : fallback;
	}

	function cssLength(value, fallback) {
		const text = toText(value).trim();
		return /^-?\d+(\.\d+)?(px|em|rem|%)$/.test(text) ? text : fallback;
	}

	/*
	 * Texts of the shop's own HTML (names, option names and values are
	 * inserted as HTML) become plain text for the cart and checkout forms.
	 * A <template> parses without running scripts or loading images.
	 */
	function htmlToText(html) {
		const template = document.createElement("template");
		template.innerHTML = toText(html).replace(/<br\s*\/?>/gi, " ");
		return template.content.textContent.replace(/\s+/g, " ").trim();
	}

	function readConfig(raw) {
		const c = raw || {};
		let decimals = toInt(c.decimalNumberIndex, 2);
		if (decimals < 0 || decimals > 4) decimals = 2;
		const decimalSeparator = toText(c.decimalSeparator) === "," ? "," : ".";
		const type = toText(c.additionalCostsType);
		const tiers = [];
		for (let i = 0; i < 5; i++) {
			tiers.push({
				limit: toText((c.additionalCostsLimits || [])[i]),
				value: toText((c.additionalCostsValues || [])[i])
			});
		}
		const fields = [];
		const required = toText(c.directOrderRequired);
		for (let i = 0; i < 15; i++) {
			fields.push({
				number: i + 1,
				label: toText((c.directOrderFields || [])[i]),
				required: required.charAt(i) === "1"
			});
		}
		const position = toText(c.cartPosition) === "bottom" ? "bottom" : "top";
		const alignment = ["left", "right"].includes(toText(c.cartAlignment)) ? toText(c.cartAlignment) : "center";
		return {
			version: toText(c.version),
			commonPath: toText(c.commonPath).replace(/\/+$/, "") || ".",
			cartID: toText(c.cartID),
			cartExpiration: Math.max(0, toInt(c.cartExpiration, 0)),
			returnURL: decodeBase64(c.cartReturnURL),
			fontSize: cssLength(c.cartFontSize, "1em"),
			width: cssLength(c.cartWidth, "900px"),
			position,
			alignment,
			imageSize: Math.min(512, Math.max(16, toInt(c.cartProductImagesSize, 64))),
			priceColumnWidth: cssLength(c.cartPriceColumnWidth, "20%"),
			effectsDuration: Math.max(0, toInt(c.effectsDuration, 400)),
			colors: {
				cart: cssColor(c.cartBackgroundColor, "#222222"),
				border: cssColor(c.cartBorderColor, "#333333"),
				button: cssColor(c.cartButtonColor, "#000000"),
				text: cssColor(c.cartTextColor, "#ffffff"),
				image: cssColor(c.cartImageBackgroundColor, "#000000")
			},
			money: {
				decimals,
				decimalSeparator,
				thousandsSeparator: decimalSeparator === "," ? "." : ",",
				showTaxes: toBool(c.showPricesIncludingTaxes),
				symbol: toText(c.currencySymbol),
				symbolOnLeft: toText(c.currencyPosition) === "left",
				space: toBool(c.currencySpace)
			},
			compatibilityMode: toBool(c.enableCompatibilityMode),
			coupons: toBool(c.enableCoupons),
			disclaimer: toBool(c.enableDisclaimer),
			disclaimerTemplate: toText(c.cartDisclaimerTemplate) || "tillbox-disclaimer",
			paypal: {
				enabled: toBool(c.enablePayPal),
				account: decodeBase64(c.payPalAccount),
				currency: toText(c.payPalCurrency),
				language: toText(c.payPalLanguageCode),
				sandbox: toBool(c.enablePayPalSandbox)
			},
			google: {
				enabled: toBool(c.enableGoogleCheckout),
				merchantID: decodeBase64(c.googleCheckoutAccount),
				currency: toText(c.googleCheckoutCurrency)
			},
			ejunkie: {
				enabled: toBool(c.enableEJunkie),
				account: decodeBase64(c.eJunkieAccount)
			},
			sisow: {
				enabled: toBool(c.enableSisow),
				account: decodeBase64(c.sisowAccount),
				signature: decodeBase64(c.sisowSignature)
			},
			order: {
				enabled: toBool(c.enableDirectOrder),
				account: decodeBase64(c.directOrderEmail),
				subject: toText(c.directOrderSubject),
				text: toText(c.directOrderText),
				emailField: toInt(c.directOrderEmailFieldTag, 0),
				uniqueID: toBool(c.directOrderUniqueIDEnabled),
				prefix: toText(c.directOrderUniqueIDPrefix),
				fields
			},
			additionalCosts: {
				description: toText(c.additionalCostsDescription),
				// An unknown kind leaves its placeholder in the header: no tiers.
				type: ["item", "price", "weight"].includes(type) ? type : "",
				tiers
			},
			texts: Object.assign({}, c.texts || {})
		};
	}

	/* ------------------------------------------------------------------ */
	/* Money: integers in the shop's smallest unit                         */
	/* ------------------------------------------------------------------ */

	const Money = {
		/*
		 * A machine-readable number ("12.5000") in ten-thousandths, exactly,
		 * rounding a fifth decimal half away from zero. Empty: null.
		 */
		parse4(text) {
			const s = toText(text).trim();
			if (s === "") return null;
			const m = /^([+-])?(\d*)(?:\.(\d*))?$/.exec(s);
			if (!m || (m[2] === "" && (m[3] === undefined || m[3] === ""))) {
				const n = Number(s);
				return Number.isFinite(n) ? Math.round(n * 10000) : null;
			}
			const digits = (m[3] || "") + "00000";
			let value = parseInt(m[2] || "0", 10) * 10000 + parseInt(digits.slice(0, 4), 10);
			if (parseInt(digits.charAt(4), 10) >= 5) value += 1;
			return m[1] === "-" ? -value : value;
		},

		// Ten-thousandths to the shop's unit, half away from zero.
		round4(value4, decimals) {
			const scale = Math.pow(10, 4 - decimals);
			const rounded = Math.floor((Math.abs(value4) + scale / 2) / scale);
			return value4 < 0 ? -rounded : rounded;
		},

		fromText(text, decimals) {
			const value4 = Money.parse4(text);
			return value4 === null ? null : Money.round4(value4, decimals);
		},

		// Plain decimal for forms and servers: "." and the shop's decimals.
		plain(amount, decimals) {
			const negative = amount < 0;
			const digits = String(Math.abs(amount)).padStart(decimals + 1, "0");
			const whole = digits.slice(0, digits.length - decimals);
			const fraction = digits.slice(digits.length - decimals);
			return (negative ? "-" : "") + whole + (decimals > 0 ? "." + fraction : "");
		},

		number(amount, money) {
			const plain = Money.plain(Math.abs(amount), money.decimals);
			const [whole, fraction] = plain.split(".");
			const grouped = whole.replace(/\B(?=(\d{3})+(?!\d))/g, money.thousandsSeparator);
			return fraction === undefined ? grouped : grouped + money.decimalSeparator + fraction;
		},

		withSymbol(number, symbol, money) {
			const space = money.space && symbol ? " " : "";
			return money.symbolOnLeft ? symbol + space + number : number + space + symbol;
		},

		/*
		 * A price as the listing writes it. As there, a symbol never shows a
		 * full stop or comma that could read as a separator.
		 */
		format(amount, money) {
			const symbol = money.symbol.replace(/\./g, "\u2024").replace(/,/g, "\u201A");
			const text = Money.withSymbol(Money.number(amount, money), symbol, money);
			return amount < 0 ? "-" + text : text;
		},

		// A surcharge or reduction with its sign, as the editor shows option prices.
		formatSigned(amount, money) {
			const sign = amount > 0 ? "+ " : amount < 0 ? "- " : "\u00B1 ";
			return sign + Money.withSymbol(Money.number(amount, money), money.symbol, money);
		}
	};

	/* ------------------------------------------------------------------ */
	/* Totals                                                              */
	/* ------------------------------------------------------------------ */

	function unitAmounts(line, money) {
		let net4 = Money.parse4(line.price) || 0;
		let tax4 = Money.parse4(line.taxes) || 0;
		for (const option of line.options) {
			net4 += Money.parse4(option.price) || 0;
			tax4 += Money.parse4(option.taxes) || 0;
		}
		const tax = Money.round4(tax4, money.decimals);
		const shown = Money.round4(money.showTaxes ? net4 + tax4 : net4, money.decimals);
		return { shown, tax, net: money.showTaxes ? shown - tax : shown };
	}

	function unitWeight(line) {
		let weight = parseFloat(line.weight) || 0;
		for (const option of line.options) weight += parseFloat(option.weight) || 0;
		return weight;
	}

	function tierCost(measure, costs, money) {
		if (!costs.type) return 0;
		for (const tier of costs.tiers) {
			const limit = costs.type === "price" ? Money.fromText(tier.limit, money.decimals) : parseFloat(tier.limit);
			if (!limit || limit <= 0) continue;
			if (limit >= measure - 1e-9) return Money.fromText(tier.value, money.decimals) || 0;
		}
		return 0;
	}

	function couponDiscount(coupon, lines, money) {
		if (!coupon) return 0;
		let base = 0;
		for (const line of lines) {
			if (!coupon.sku || coupon.sku === line.sku) base += (line.net + line.tax) * line.quantity;
		}
		if (base <= 0) return 0;
		const value = parseFloat(coupon.value) || 0;
		if (value <= 0) return 0;
		if (coupon.type === "%") return Math.min(base, Math.round(base * Math.min(value, 100) / 100));
		return Math.min(base, Money.fromText(String(value), money.decimals) || 0);
	}

	/*
	 * Everything the cart shows and the checkouts post, from the lines as
	 * stored (see the head of this file for the rules).
	 */
	function computeTotals(storedLines, settings, coupon) {
		const money = settings.money;
		const lines = storedLines.map((line) => Object.assign({}, line, unitAmounts(line, money), {
			unitWeight: unitWeight(line)
		}));
		const totals = { lines, count: 0, subtotal: 0, net: 0, taxes: 0, shipping: 0, additional: 0,
			discount: 0, weight: 0, total: 0 };
		const shippedUnits = new Map();
		for (const line of lines) {
			line.shipping = 0;
			line.shipping2 = 0;
			const first = Money.fromText(line.shipping1Text, money.decimals);
			const further = Money.fromText(line.shipping2Text, money.decimals) || 0;
			if (first !== null) {
				// The first item of a product pays the first-item rate, wherever
				// it stands; its other lines pay the further-item rate only.
				const before = shippedUnits.get(line.id) || 0;
				line.shipping = before === 0 ? first : further;
				line.shipping2 = further;
				totals.shipping += line.shipping + further * (line.quantity - 1);
				shippedUnits.set(line.id, before + line.quantity);
			}
			totals.count += line.quantity;
			totals.subtotal += line.shown * line.quantity;
			totals.net += line.net * line.quantity;
			totals.taxes += line.tax * line.quantity;
			totals.weight += line.unitWeight * line.quantity;
		}
		const costs = settings.additionalCosts;
		const measure = costs.type === "item" ? totals.count : costs.type === "price" ? totals.subtotal : totals.weight;
		totals.additional = totals.count > 0 ? tierCost(measure, costs, money) : 0;
		totals.discount = couponDiscount(coupon, lines, money);
		totals.total = Math.max(0, totals.net + totals.taxes + totals.shipping + totals.additional - totals.discount);
		return totals;
	}

	/* ------------------------------------------------------------------ */
	/* Products of the page                                                */
	/* ------------------------------------------------------------------ */

	function productFromForm(form) {
		const submit = form.querySelector("[type=submit]");
		const thumb = form.querySelector("img");
		return {
			form,
			id: toText(form.dataset.tillboxProduct),
			sku: toText(form.dataset.sku),
			name: htmlToText(form.dataset.name),
			price: toText(form.dataset.price),
			taxes: toText(form.dataset.taxes),
			shipping1Text: toText(form.dataset.shipping1),
			shipping2Text: toText(form.dataset.shipping2),
			limit: Math.max(0, toInt(form.dataset.limit, 0)),
			weight: toText(form.dataset.weight),
			// Absolute, so that the cart shows it on the site's other pages too.
			thumb: thumb && thumb.getAttribute("src") ? thumb.src : "",
			outOfStock: !!(submit && submit.disabled)
		};
	}

	function optionControls(form) {
		return Array.from(form.querySelectorAll(".tbOptionControl"));
	}

	// The shopper's choices in a product form, in option order.
	function chosenOptions(form) {
		const options = [];
		for (const control of optionControls(form)) {
			const name = htmlToText(control.dataset.optionName);
			if (control.tagName === "SELECT") {
				const chosen = control.selectedOptions[0];
				if (!chosen) continue;
				options.push({
					name,
					value: htmlToText(chosen.value),
					price: toText(chosen.dataset.price),
					taxes: toText(chosen.dataset.taxes),
					weight: toText(chosen.dataset.weight)
				});
			} else {
				const value = control.value.replace(/\s+/g, " ").trim();
				if (value) options.push({ name, value, price: "", taxes: "", weight: "" });
			}
		}
		return options;
	}

	// Lines with the same product and the same choices are one line.
	function lineKey(id, options) {
		return JSON.stringify([id, options.map((o) => [o.name, o.value])]);
	}

	/* ------------------------------------------------------------------ */
	/* Storage: a cookie named by the cart ID                              */
	/* ------------------------------------------------------------------ */

	class CartStore {
		constructor(cartID, hours) {
			const name = toText(cartID).replace(/[^A-Za-z0-9_-]/g, "_");
			this.name = name || "tillboxCart";
			this.hours = hours;
		}

		readCookie() {
			const prefix = this.name + "=";
			for (const part of document.cookie.split(/;\s*/)) {
				if (part.startsWith(prefix)) return part.slice(prefix.length);
			}
			return null;
		}

		writeCookie(value, remove) {
			let cookie = this.name + "=" + value + "; path=/; SameSite=Lax";
			if (remove) cookie += "; max-age=0";
			else if (this.hours > 0) cookie += "; max-age=" + Math.round(this.hours * 3600);
			document.cookie = cookie;
		}

		webStorage() {
			try {
				return this.hours > 0 ? window.localStorage : window.sessionStorage;
			} catch (error) {
				return null;
			}
		}

		load() {
			const cookie = this.readCookie();
			if (cookie && cookie !== "~web") {
				try {
					return JSON.parse(decodeURIComponent(cookie));
				} catch (error) {
					return null;
				}
			}
			// Too large for a cookie, or cookies are off (a preview from disk).
			const storage = this.webStorage();
			const stored = storage && storage.getItem(this.name);
			if (!stored) return null;
			try {
				const entry = JSON.parse(stored);
				if (entry.expires && entry.expires < Date.now()) {
					storage.removeItem(this.name);
					return null;
				}
				return entry.data;
			} catch (error) {
				return null;
			}
		}

		save(data) {
			const storage = this.webStorage();
			if (!data) {
				this.writeCookie("", true);
				if (storage) storage.removeItem(this.name);
				return;
			}
			const encoded = encodeURIComponent(JSON.stringify(data));
			if (encoded.length <= COOKIE_LIMIT) {
				this.writeCookie(encoded, false);
				if (this.readCookie() === encoded) {
					if (storage) storage.removeItem(this.name);
					return;
				}
			}
			if (!storage) return;
			const expires = this.hours > 0 ? Date.now() + this.hours * 3600 * 1000 : 0;
			storage.setItem(this.name, JSON.stringify({ expires, data }));
			this.writeCookie("~web", false);
		}
	}

	/* ------------------------------------------------------------------ */
	/* The cart                                                            */
	/* ------------------------------------------------------------------ */

	class Cart {
		constructor(settings, store) {
			this.settings = settings;
			this.store = store;
			this.lines = [];
			this.coupon = null;
			this.products = new Map();
			this.listeners = [];
		}

		onChange(listener) {
			this.listeners.push(listener);
		}

		changed(reason) {
			this.save();
			for (const listener of this.listeners) listener(reason);
		}

		registerProduct(product) {
			this.products.set(product.id, product);
		}

		quantityOfProduct(id) {
			return this.lines.filter((l) => l.id === id).reduce((sum, l) => sum + l.quantity, 0);
		}

		// How many more items of this product the purchase limit allows.
		room(id) {
			const product = this.products.get(id);
			const limit = product ? product.limit : (this.lines.find((l) => l.id === id) || {}).limit || 0;
			return limit > 0 ? Math.max(0, limit - this.quantityOfProduct(id)) : Infinity;
		}

		/*
		 * Adds quantity items of a product with the given options; returns how
		 * many were added (fewer at the purchase limit, none when out of stock).
		 */
		add(product, options, quantity) {
			if (product.outOfStock) return 0;
			const wanted = Math.max(1, Math.floor(quantity) || 1);
			const count = Math.min(wanted, this.room(product.id));
			if (count <= 0) return 0;
			const key = lineKey(product.id, options);
			let line = this.lines.find((l) => l.key === key);
			if (line) {
				line.quantity += count;
			} else {
				line = {
					key, id: product.id, sku: product.sku, name: product.name, thumb: product.thumb,
					price: product.price, taxes: product.taxes, weight: product.weight,
					shipping1Text: product.shipping1Text, shipping2Text: product.shipping2Text,
					limit: product.limit, options, quantity: count
				};
				this.lines.push(line);
			}
			this.changed({ type: "add", key, count });
			return count;
		}

		increase(key) {
			const line = this.lines.find((l) => l.key === key);
			if (!line || this.room(line.id) <= 0) return false;
			line.quantity += 1;
			this.changed({ type: "increase", key });
			return true;
		}

		decrease(key) {
			const line = this.lines.find((l) => l.key === key);
			if (!line) return false;
			if (line.quantity <= 1) return this.remove(key);
			line.quantity -= 1;
			this.changed({ type: "decrease", key });
			return true;
		}

		remove(key) {
			const index = this.lines.findIndex((l) => l.key === key);
			if (index < 0) return false;
			this.lines.splice(index, 1);
			this.changed({ type: "remove", key, index });
			return true;
		}

		empty() {
			this.lines = [];
			this.coupon = null;
			this.changed({ type: "empty" });
		}

		applyCoupon(coupon) {
			this.coupon = coupon;
			this.changed({ type: "coupon" });
		}

		cancelCoupon() {
			this.coupon = null;
			this.changed({ type: "coupon" });
		}

		totals() {
			return computeTotals(this.lines, this.settings, this.settings.coupons ? this.coupon : null);
		}

		save() {
			if (this.lines.length === 0 && !this.coupon) {
				this.store.save(null);
				return;
			}
			this.store.save({
				v: 1,
				lines: this.lines.map((l) => [l.id, l.sku, l.name, l.thumb, l.quantity, l.price, l.taxes,
					l.weight, l.shipping1Text, l.shipping2Text, l.limit,
					l.options.map((o) => [o.name, o.value, o.price, o.taxes, o.weight])]),
				coupon: this.coupon
			});
		}

		/*
		 * Reads the stored cart. Lines of products on this page take the
		 * page's current prices; lines of out-of-stock products are dropped;
		 * lines of products of other shop pages keep what was stored.
		 */
		load() {
			const data = this.store.load();
			if (!data || data.v !== 1 || !Array.isArray(data.lines)) return;
			for (const entry of data.lines) {
				if (!Array.isArray(entry) || entry.length < 12) continue;
				const options = (Array.isArray(entry[11]) ? entry[11] : []).map((o) => ({
					name: toText(o[0]), value: toText(o[1]), price: toText(o[2]), taxes: toText(o[3]), weight: toText(o[4])
				}));
				const line = {
					id: toText(entry[0]), sku: toText(entry[1]), name: toText(entry[2]), thumb: toText(entry[3]),
					quantity: Math.max(1, toInt(entry[4], 1)), price: toText(entry[5]), taxes: toText(entry[6]),
					weight: toText(entry[7]), shipping1Text: toText(entry[8]), shipping2Text: toText(entry[9]),
					limit: Math.max(0, toInt(entry[10], 0)), options
				};
				const product = this.products.get(line.id);
				if (product) {
					if (product.outOfStock) continue;
					Object.assign(line, {
						sku: product.sku, name: product.name, thumb: product.thumb, price: product.price,
						taxes: product.taxes, weight: product.weight, shipping1Text: product.shipping1Text,
						shipping2Text: product.shipping2Text, limit: product.limit
					});
					refreshOptionPrices(product.form, line.options);
				}
				line.key = lineKey(line.id, line.options);
				if (line.limit > 0) {
					const room = line.limit - this.lines.filter((l) => l.id === line.id).reduce((s, l) => s + l.quantity, 0);
					if (room <= 0) continue;
					line.quantity = Math.min(line.quantity, room);
				}
				this.lines.push(line);
			}
			const coupon = data.coupon;
			this.coupon = coupon && typeof coupon === "object" ? {
				code: toText(coupon.code), text: toText(coupon.text), type: coupon.type === "%" ? "%" : "$",
				value: parseFloat(coupon.value) || 0, sku: toText(coupon.sku)
			} : null;
		}
	}

	// Stored list values take the surcharges that the page lists now.
	function refreshOptionPrices(form, options) {
		for (const control of optionControls(form)) {
			if (control.tagName !== "SELECT") continue;
			const name = htmlToText(control.dataset.optionName);
			const option = options.find((o) => o.name === name);
			if (!option) continue;
			const match = Array.from(control.options).find((o) => htmlToText(o.value) === option.value);
			if (match) {
				option.price = toText(match.dataset.price);
				option.taxes = toText(match.dataset.taxes);
				option.weight = toText(match.dataset.weight);
			}
		}
	}

	/* ------------------------------------------------------------------ */
	/* DOM helpers                                                         */
	/* ------------------------------------------------------------------ */

	// h("button", {type: "button", class: "x", onclick: f}, child, ...)
	function h(tag, attributes, ...children) {
		const element = document.createElement(tag);
		for (const [name, value] of Object.entries(attributes || {})) {
			if (value === null || value === undefined || value === false) continue;
			if (name.startsWith("on")) element.addEventListener(name.slice(2), value);
			else if (name === "class") element.className = value;
			else if (name === "text") element.textContent = value;
			else element.setAttribute(name, value === true ? "" : value);
		}
		for (const child of children.flat()) {
			if (child === null || child === undefined || child === false) continue;
			element.append(child instanceof Node ? child : String(child));
		}
		return element;
	}

	function submitForm(action, fields, charset) {
		const form = h("form", { method: "post", action, "accept-charset": charset || "UTF-8", class: "tbHidden" });
		for (const [name, value] of fields) form.append(h("input", { type: "hidden", name, value: toText(value) }));
		document.body.append(form);
		form.submit();
		return form;
	}

	/*
	 * What an order-form field asks for, from its label (the shop's defaults
	 * and the common words of a few languages): the autocomplete purpose and
	 * the input type. Unknown labels get neither.
	 */
	const FIELD_PURPOSES = [
		[/^(first ?name|given ?name|forename|vorname|pr[ée]nom|voornaam|nombre|nome)$/, "given-name"],
		[/^(surname|last ?name|family ?name|nachname|familienname|nom|achternaam|apellidos?|cognome)$/, "family-name"],
		[/^(name|full ?name|your name|naam)$/, "name"],
		[/^(company|company name|organi[sz]ation|firma|unternehmen|soci[ée]t[ée]|entreprise|bedrijf|empresa|azienda)$/, "organization"],
		[/^(e-?mail|e-?mail address|courriel|correo)$/, "email", "email"],
		[/^(tel|tel\.|phone|phone number|telephone|mobile|telefon|t[ée]l[ée]phone|telefoon|tel[ée]fono)$/, "tel", "tel"],
		[/^(address|street|street address|adresse|anschrift|stra(ss|ß)e|rue|adres|straat|direcci[óo]n|indirizzo)$/, "address-line1"],
		[/^(zip|zip code|postcode|post code|postal code|plz|postleitzahl|code postal|cp|cap|c[óo]digo postal)$/, "postal-code"],
		[/^(city|town|ort|stadt|ville|plaats|woonplaats|ciudad|citt[àa])$/, "address-level2"],
		[/^(state|province|region|county|bundesland|provincie|provincia)$/, "address-level1"],
		[/^(country|land|pays|pa[íi]s|paese|staat)$/, "country-name"]
	];

	function fieldPurpose(label) {
		const key = label.trim().toLowerCase().replace(/[\s*:]+$/, "");
		const match = FIELD_PURPOSES.find(([pattern]) => pattern.test(key));
		return match ? { autocomplete: match[1], type: match[2] || "text" } : { autocomplete: null, type: "text" };
	}

	// An order-form field's label text, without the required mark.
	function fieldLabel(control) {
		const label = control.labels && control.labels[0];
		return label && label.firstChild ? label.firstChild.textContent.trim() : control.name;
	}

	// An invalid field is marked and says what is wrong right below it.
	function markField(control, invalid) {
		const id = control.id + "-error";
		let message = document.getElementById(id);
		if (invalid) {
			if (!message) {
				message = h("span", { class: "tbFieldError", id });
				control.after(message);
			}
			message.textContent = control.validationMessage;
			control.setAttribute("aria-invalid", "true");
			control.setAttribute("aria-describedby", id);
		} else {
			if (message) message.remove();
			control.removeAttribute("aria-invalid");
			control.removeAttribute("aria-describedby");
		}
	}

	function limitText(text, length) {
		return text.length > length ? text.slice(0, length - 1) + "\u2026" : text;
	}

	function optionsText(options) {
		return options.map((o) => o.name ? o.name + ": " + o.value : o.value).join("; ");
	}

	function newOrderID(prefix) {
		const now = new Date();
		const pad = (n) => String(n).padStart(2, "0");
		const stamp = now.getFullYear() + pad(now.getMonth() + 1) + pad(now.getDate()) +
			pad(now.getHours()) + pad(now.getMinutes()) + pad(now.getSeconds());
		const random = Math.floor(Math.random() * 46656).toString(36).padStart(3, "0");
		return prefix + stamp + random;
	}

	/* ------------------------------------------------------------------ */
	/* Checkouts                                                           */
	/* ------------------------------------------------------------------ */

	/*
	 * The PayPal cart upload fields, also the shape E-junkie's cart reads.
	 * Amounts are net unit prices; the unit tax goes into tax_N and the
	 * whole tax into tax_cart (which PayPal prefers with a cart discount).
	 */
	function payPalStyleFields(totals, settings) {
		const d = settings.money.decimals;
		const plain = (amount) => Money.plain(amount, d);
		const fields = [];
		totals.lines.forEach((line, index) => {
			const n = index + 1;
			fields.push(["item_name_" + n, limitText(line.name, 127)]);
			if (line.sku) fields.push(["item_number_" + n, limitText(line.sku, 127)]);
			fields.push(["amount_" + n, plain(line.net)]);
			fields.push(["quantity_" + n, String(line.quantity)]);
			if (line.tax) fields.push(["tax_" + n, plain(line.tax)]);
			if (line.shipping1Text !== "") {
				fields.push(["shipping_" + n, plain(line.shipping)]);
				fields.push(["shipping2_" + n, plain(line.shipping2)]);
			}
			// Two option pairs reach PayPal; further options join the second.
			const options = line.options.slice(0, PAYPAL_OPTION_FIELDS - 1);
			if (line.options.length >= PAYPAL_OPTION_FIELDS) {
				const rest = line.options.slice(PAYPAL_OPTION_FIELDS - 1);
				options.push(rest.length === 1 ? rest[0] : { name: rest.map((o) => o.name).join(", "), value: rest.map((o) => o.value).join(", ") });
			}
			options.forEach((option, i) => {
				fields.push(["on" + i + "_" + n, limitText(option.name, 64)]);
				fields.push(["os" + i + "_" + n, limitText(option.value, 200)]);
			});
		});
		if (totals.taxes) fields.push(["tax_cart", plain(totals.taxes)]);
		if (totals.additional > 0) fields.push(["handling_cart", plain(totals.additional)]);
		const discount = totals.discount + (totals.additional < 0 ? -totals.additional : 0);
		if (discount > 0) fields.push(["discount_amount_cart", plain(discount)]);
		return fields;
	}

	const Checkouts = {
		paypal(totals, settings) {
			const paypal = settings.paypal;
			const here = window.location.href.split("#")[0];
			const fields = [["cmd", "_cart"], ["upload", "1"], ["business", paypal.account],
				["currency_code", paypal.currency], ["charset", "utf-8"]];
			if (paypal.language) fields.push(["lc", paypal.language]);
			fields.push(["return", settings.returnURL || here], ["cancel_return", here]);
			fields.push(...payPalStyleFields(totals, settings));
			return submitForm(paypal.sandbox ? CHECKOUT_URLS.paypalSandbox : CHECKOUT_URLS.paypal, fields);
		},

		ejunkie(totals, settings) {
			const action = CHECKOUT_URLS.ejunkie + "?c=cart&cl=" + encodeURIComponent(settings.ejunkie.account) + "&ejc=2";
			const fields = [["currency_code", settings.paypal.currency || settings.google.currency]];
			fields.push(...payPalStyleFields(totals, settings));
			return submitForm(action, fields);
		},

		/*
		 * Google Checkout's HTML cart post. The service has closed; the form
		 * is what its documentation asked for. Taxes and the coupon travel as
		 * items of their own; shipping and additional costs as one method.
		 */
		google(totals, settings) {
			const d = settings.money.decimals;
			const currency = settings.google.currency;
			const fields = [["_charset_", ""]];
			const items = totals.lines.map((line) => ({
				name: line.name, description: optionsText(line.options) || line.name,
				quantity: line.quantity, price: line.net, sku: line.sku
			}));
			const text = (key) => toText(settings.texts[key]);
			if (totals.taxes) items.push({ name: text("i18nTaxes"), description: text("i18nTaxes"), quantity: 1, price: totals.taxes });
			if (totals.discount) {
				const name = (state.cart.coupon && (state.cart.coupon.text || state.cart.coupon.code)) || "-";
				items.push({ name, description: name, quantity: 1, price: -totals.discount });
			}
			items.forEach((item, index) => {
				const n = index + 1;
				fields.push(["item_name_" + n, item.name], ["item_description_" + n, item.description],
					["item_quantity_" + n, String(item.quantity)], ["item_price_" + n, Money.plain(item.price, d)],
					["item_currency_" + n, currency]);
				if (item.sku) fields.push(["item_merchant_id_" + n, item.sku]);
			});
			const shipping = totals.shipping + totals.additional;
			if (shipping) {
				fields.push(["ship_method_name_1", text("i18nShipping")],
					["ship_method_price_1", Money.plain(shipping, d)], ["ship_method_currency_1", currency]);
			}
			return submitForm(CHECKOUT_URLS.google + encodeURIComponent(settings.google.merchantID), fields);
		},

		// Sisow payment request: the total in cents, whatever the shop's decimals.
		sisow(totals, settings) {
			const d = settings.money.decimals;
			const cents = Math.round(totals.total * Math.pow(10, 2 - d));
			const purchaseID = newOrderID("").slice(-16);
			const here = window.location.href.split("#")[0];
			const description = limitText(totals.lines.map((l) => l.name).join(", "), 32);
			return submitForm(CHECKOUT_URLS.sisow, [
				["merchantid", settings.sisow.account], ["sha1", settings.sisow.signature],
				["payment", ""], ["purchaseid", purchaseID], ["entrancecode", purchaseID],
				["amount", String(cents)], ["description", description],
				["returnurl", settings.returnURL || here], ["cancelurl", here]
			]);
		}
	};

	/* ------------------------------------------------------------------ */
	/* The cart's view                                                     */
	/* ------------------------------------------------------------------ */

	const state = { settings: null, cart: null, view: null };

	/*
	 * Words the shop's texts have no entry for; a page may pass its own under
	 * these keys in texts. i18nCartItem (the singular of i18nCartItems) is
	 * used only beside the default plural or when the page passes it.
	 */
	const BUILT_IN_TEXTS = {
		i18nQuantity: "Quantity",
		i18nPicture: "Picture",
		i18nLimitReached: "Purchase limit reached",
		i18nCartItem: "item in your cart"
	};
	const DEFAULT_CART_ITEMS = "items in your cart";

	function text(key) {
		const value = state.settings && state.settings.texts[key];
		return toText(value !== undefined ? value : BUILT_IN_TEXTS[key]);
	}

	// "1 item in your cart", "2 items in your cart".
	function itemsText(count) {
		const plural = text("i18nCartItems");
		const hasSingular = state.settings.texts.i18nCartItem !== undefined || plural === DEFAULT_CART_ITEMS;
		return count + " " + (count === 1 && hasSingular ? text("i18nCartItem") : plural);
	}

	/*
	 * Ten buttons all named "Add to cart" tell a screen reader nothing. The
	 * product goes into the name, in text that only assistive technology
	 * reads ("Add House Blend to cart"), so that the shop's text stays what
	 * people see and what voice control matches; a text that does not start
	 * with "Add" is followed by it. A last part says when the purchase limit
	 * is reached.
	 */
	function nameAddButton(button, name) {
		const hidden = (content) => h("span", { class: "tbVisuallyHidden", text: content });
		const words = /^(add)(\s.+)$/i.exec(button.textContent.trim());
		if (words) button.replaceChildren(words[1], hidden(" " + name), words[2]);
		else button.append(hidden(": " + name));
		button.append(h("span", { class: "tbVisuallyHidden tbLimitNote" }));
	}

	function iconURL(name) {
		return state.settings.commonPath + "/theme/" + name + ".png";
	}

	function icon(name) {
		return h("img", { class: "tbIcon", src: iconURL(name), alt: "", width: 24, height: 24 });
	}

	// An icon with a hover state: names ending in 0 rest, in 1 hover.
	function stateIcon(base) {
		return [h("img", { class: "tbIcon tbIconRest", src: iconURL(base + "0"), alt: "", width: 24, height: 24 }),
			h("img", { class: "tbIcon tbIconHover", src: iconURL(base + "1"), alt: "", width: 24, height: 24 })];
	}

	function button(label, iconName, onclick, attributes) {
		return h("button", Object.assign({ type: "button", class: "tbButton", onclick }, attributes || {}),
			iconName ? icon(iconName) : null, h("span", { class: "tbButtonText", text: label }));
	}

	class CartView {
		constructor(cart, settings) {
			this.cart = cart;
			this.settings = settings;
			this.step = "cart";
			this.open = false;
			this.payment = null;
			this.build();
			cart.onChange((reason) => this.cartChanged(reason));
			this.render();
		}

		build() {
			const s = this.settings;
			const root = h("section", {
				id: "tillbox-cart",
				class: ["tbCart", "tbPosition-" + s.position, "tbAlign-" + s.alignment,
					s.compatibilityMode ? "tbCompatible" : "tbFixed"].join(" "),
				"aria-labelledby": "tillbox-toggle"
			});
			const style = root.style;
			style.setProperty("--tb-font-size", s.fontSize);
			style.setProperty("--tb-cart-width", s.width);
			style.setProperty("--tb-image-size", s.imageSize + "px");
			style.setProperty("--tb-price-width", s.priceColumnWidth);
			style.setProperty("--tb-duration", (s.compatibilityMode ? 0 : s.effectsDuration) + "ms");
			// Absolute: a relative url() in a custom property resolves against the
			// style sheet that uses it (tillbox.css), not against the page.
			const strip = new URL(s.commonPath + "/tillbox/" +
				(s.position === "bottom" ? "backgroundBottom" : "backgroundTop") + ".png", document.baseURI);
			style.setProperty("--tb-strip", "url(\"" + strip.href + "\")");

			this.cartIcon = h("img", { class: "tbIcon tbCartIcon", alt: "", width: 24, height: 24 });
			this.count = h("span", { class: "tbCount" });
			this.countLabel = h("span", { class: "tbCountLabel", text: text("i18nCartItems") });
			this.toggle = h("button", {
				type: "button", id: "tillbox-toggle", class: "tbToggle", "aria-expanded": "false",
				"aria-controls": "tillbox-panel", onclick: () => this.setOpen(!this.open)
			}, this.cartIcon, this.count, " ", this.countLabel);
			this.barTotal = h("span", { class: "tbAmount" });
			this.barCheckout = button(text("i18nCheckout"), "iconCheckout", () => this.startCheckout(), { class: "tbButton tbBarCheckout" });
			this.bar = h("div", { class: "tbBar" }, this.toggle,
				h("span", { class: "tbBarTotal" }, icon("iconTotal"),
					h("span", { class: "tbBarTotalLabel", text: text("i18nTotal") }), " ", this.barTotal),
				this.barCheckout);
			this.panel = h("div", { id: "tillbox-panel", class: "tbPanel", hidden: true });
			this.live = h("div", { class: "tbVisuallyHidden", role: "status", "aria-live": "polite", "aria-atomic": "true" });
			root.append(...(s.position === "bottom" ? [this.panel, this.bar] : [this.bar, this.panel]), this.live);
			root.addEventListener("keydown", (event) => {
				if (event.key === "Escape" && this.open) {
					event.preventDefault();
					this.setOpen(false);
					this.toggle.focus();
				}
			});
			// The open cart lies over the page: when focus moves on to the page
			// beneath, the cart closes rather than hide what has the focus.
			root.addEventListener("focusout", (event) => {
				const next = event.relatedTarget;
				if (this.open && !s.compatibilityMode && next && !root.contains(next)) this.setOpen(false);
			});
			this.root = root;

			if (s.position === "bottom") document.body.append(root);
			else document.body.prepend(root);
			if (!s.compatibilityMode) this.keepPageClear();
			else document.documentElement.classList.remove(ROOM_CLASS);
		}

		// A fixed bar would cover the page's first or last lines: reserve its height.
		keepPageClear() {
			// At the top the room was kept from the start (tillbox.css, ROOM_CLASS).
			const top = this.settings.position !== "bottom";
			const html = document.documentElement;
			html.classList.toggle(ROOM_CLASS, top);
			const spacer = top ? null : h("div", { class: "tbSpacer", "aria-hidden": "true" });
			if (spacer) document.body.append(spacer);
			// Keyboard focus scrolls into view clear of the bar as well.
			const padding = this.settings.position === "bottom" ? "scroll-padding-bottom" : "scroll-padding-top";
			const update = () => {
				if (spacer) spacer.style.height = this.bar.offsetHeight + "px";
				else html.style.setProperty("--tb-bar-height", this.bar.offsetHeight + "px");
				document.documentElement.style.setProperty(padding, (this.bar.offsetHeight + 8) + "px");
			};
			if (window.ResizeObserver) new ResizeObserver(update).observe(this.bar);
			update();
		}

		announce(message) {
			// A fresh text node makes screen readers speak a repeated message too.
			this.live.textContent = "";
			window.setTimeout(() => { this.live.textContent = message; }, 50);
		}

		// The cart in a sentence, and the product whose purchase limit is reached when one is.
		summaryText(totals, limitReached) {
			return itemsText(totals.count) + ". " + text("i18nTotal") + ": " +
				Money.format(totals.total, this.settings.money) +
				(limitReached ? " " + limitReached + ": " + text("i18nLimitReached") + "." : "");
		}

		checkoutChoices() {
			const s = this.settings;
			const choices = [];
			if (s.paypal.enabled) choices.push({ id: "paypal", label: text("i18nPaypal"), hint: text("i18nCard") });
			if (s.google.enabled) choices.push({ id: "google", label: text("i18nGoogle") });
			if (s.ejunkie.enabled) choices.push({ id: "ejunkie", label: text("i18nEJunkie") });
			if (s.sisow.enabled) choices.push({ id: "sisow", label: text("i18nSisow") });
			if (s.order.enabled) choices.push({ id: "order", label: text("i18nOrder") });
			return choices;
		}

		setOpen(open) {
			if (open === this.open) return;
			this.open = open;
			this.toggle.setAttribute("aria-expanded", String(open));
			this.toggle.title = open ? text("i18nClickHide") : text("i18nClickShow");
			this.root.classList.toggle("tbOpen", open);
			window.clearTimeout(this.hideTimer);
			if (open) {
				this.panel.hidden = false;
				// Let the panel be laid out before its effect starts.
				window.requestAnimationFrame(() => this.panel.classList.add("tbShown"));
			} else {
				this.panel.classList.remove("tbShown");
				this.hideTimer = window.setTimeout(() => { this.panel.hidden = true; }, this.duration());
				if (this.step !== "result") this.step = "cart";
			}
			if (open) this.render();
		}

		duration() {
			const reduced = window.matchMedia && window.matchMedia("(prefers-reduced-motion: reduce)").matches;
			return reduced || this.settings.compatibilityMode ? 0 : this.settings.effectsDuration;
		}

		cartChanged(reason) {
			const totals = this.cart.totals();
			if (reason.type === "add") {
				this.root.classList.remove("tbPulse");
				void this.root.offsetWidth;
				this.root.classList.add("tbPulse");
			}
			this.render(reason);
			const line = (reason.type === "add" || reason.type === "increase") && this.cart.lines.find((l) => l.key === reason.key);
			this.announce(this.summaryText(totals, line && this.cart.room(line.id) <= 0 ? line.name : null));
			updateAddButtons();
		}

		render(reason) {
			const totals = this.cart.totals();
			const money = this.settings.money;
			this.cartIcon.src = iconURL(totals.count > 0 ? "iconCartFull" : "iconCartEmpty");
			this.count.textContent = String(totals.count);
			this.countLabel.textContent = itemsText(totals.count).replace(/^\d+ /, "");
			this.barTotal.textContent = Money.format(totals.total, money);
			this.toggle.title = this.open ? text("i18nClickHide") : text("i18nClickShow");
			const choices = this.checkoutChoices();
			this.barCheckout.hidden = choices.length === 0;
			this.barCheckout.disabled = totals.count === 0;
			if (!this.open) return;

			// Keep the keyboard where it was across the re-rendering.
			const active = document.activeElement;
			const hadFocus = !!active && this.panel.contains(active);
			const focusKey = hadFocus ? active.dataset.focus : null;
			const find = (key) => this.panel.querySelector("[data-focus=\"" + CSS.escape(key) + "\"]");

			this.panel.replaceChildren(this.renderStep(totals, choices));
			let target = focusKey ? find(focusKey) : null;
			// At the limit "increase" rests: its line's "decrease" is next best.
			if (target && target.disabled && focusKey.startsWith("increase|")) target = find("decrease|" + focusKey.slice(9));
			if (!target && focusKey && reason && reason.type === "remove") {
				const rows = this.panel.querySelectorAll("[data-focus^=\"remove|\"]");
				target = rows[Math.min(reason.index, rows.length - 1)];
			}
			if (target && !target.disabled) target.focus();
			else if (hadFocus) (this.panel.querySelector(".tbHeading") || this.toggle).focus();
		}

		renderStep(totals, choices) {
			switch (this.step) {
			case "disclaimer": return this.renderDisclaimer();
			case "payment": return this.renderPayment(choices);
			case "order": return this.renderOrder(totals);
			case "result": return this.renderResult();
			default: return this.renderCart(totals, choices);
			}
		}

		goTo(step) {
			this.step = step;
			this.render();
			const heading = this.panel.querySelector(".tbHeading");
			if (heading) heading.focus();
		}

		heading(label) {
			return h("h2", { class: "tbHeading", tabindex: "-1", text: label });
		}

		renderCart(totals, choices) {
			const money = this.settings.money;
			const format = (amount) => Money.format(amount, money);
			const view = h("div", { class: "tbView tbViewCart" },
				this.heading(itemsText(totals.count)));
			if (totals.lines.length) {
				const rows = totals.lines.map((line) => {
					const name = line.name;
					const atLimit = this.cart.room(line.id) <= 0;
					return h("tr", { class: "tbLine" },
						h("td", { class: "tbLineImage" }, line.thumb ? h("img", { src: line.thumb, alt: "" }) : null),
						h("td", { class: "tbLineProduct" },
							h("span", { class: "tbLineName", text: name }),
							line.options.length ? h("span", { class: "tbLineOptions", text: optionsText(line.options) }) : null,
							h("span", { class: "tbLineQuantity" },
								// One unit, so that a narrow line wraps before the unit price, never
								// between a count and its buttons.
								h("span", { class: "tbStepper" },
									h("button", { type: "button", class: "tbIconButton", "data-focus": "decrease|" + line.key,
										"aria-label": text("i18nDecrease") + ": " + name, title: text("i18nDecrease"),
										onclick: () => this.cart.decrease(line.key) }, stateIcon("iconDecrease")),
									h("span", { class: "tbLineCount", text: String(line.quantity) }),
									h("button", { type: "button", class: "tbIconButton", "data-focus": "increase|" + line.key,
										"aria-label": text("i18nIncrease") + ": " + name, title: text("i18nIncrease"),
										disabled: atLimit, onclick: () => this.cart.increase(line.key) }, stateIcon("iconIncrease"))),
								h("span", { class: "tbLineUnit", text: "\u00D7 " + format(line.shown) }))),
						h("td", { class: "tbLinePrice", text: format(line.shown * line.quantity) }),
						h("td", { class: "tbLineRemove" },
							h("button", { type: "button", class: "tbIconButton", "data-focus": "remove|" + line.key,
								"aria-label": text("i18nRemove") + ": " + name, title: text("i18nRemove"),
								onclick: () => this.cart.remove(line.key) }, stateIcon("iconDelete"))));
				});
				view.append(h("table", { class: "tbLines" },
					h("thead", {}, h("tr", {},
						h("th", { scope: "col", class: "tbLineImage" }, h("span", { class: "tbVisuallyHidden", text: text("i18nPicture") })),
						h("th", { scope: "col", class: "tbLineProduct", text: text("i18nProducts") }),
						h("th", { scope: "col", class: "tbLinePrice", text: text("i18nPrice") }),
						h("th", { scope: "col", class: "tbLineRemove" }, h("span", { class: "tbVisuallyHidden", text: text("i18nRemove") })))),
					h("tbody", {}, rows)));
			}

			const summary = h("dl", { class: "tbSummary" });
			const row = (label, value, className) => summary.append(
				h("div", { class: "tbSummaryRow " + (className || "") }, h("dt", { text: label }), h("dd", { text: value })));
			row(text("i18nSubtotal"), format(totals.subtotal), "tbSubtotal");
			if (totals.taxes) {
				row(text("i18nTaxes"), money.showTaxes ? "(" + format(totals.taxes) + ")" : format(totals.taxes),
					money.showTaxes ? "tbTaxes tbIncluded" : "tbTaxes");
			}
			if (totals.shipping) row(text("i18nShipping"), format(totals.shipping), "tbShipping");
			if (totals.additional) row(this.settings.additionalCosts.description, Money.formatSigned(totals.additional, money), "tbAdditional");
			if (totals.discount) {
				const coupon = this.cart.coupon;
				row(coupon.text || coupon.code, Money.formatSigned(-totals.discount, money), "tbDiscount");
			}
			row(text("i18nTotal"), format(totals.total), "tbTotal");
			view.append(summary);

			if (this.settings.coupons && totals.lines.length) view.append(this.renderCoupon());

			const actions = h("div", { class: "tbActions" },
				button(text("i18nEmptyCart"), "iconEmpty", () => this.cart.empty(),
					{ disabled: totals.count === 0, "data-focus": "empty" }),
				button(text("i18nHideCart"), "iconHide", () => { this.setOpen(false); this.toggle.focus(); },
					{ "data-focus": "hide" }),
				choices.length ? button(text("i18nCheckout"), "iconCheckout", () => this.startCheckout(),
					{ class: "tbButton tbPrimary", disabled: totals.count === 0, "data-focus": "checkout" }) : null);
			view.append(actions);
			return view;
		}

		renderCoupon() {
			const coupon = this.cart.coupon;
			if (coupon) {
				return h("div", { class: "tbCoupon tbCouponApplied" },
					h("p", { class: "tbCouponText" }, h("strong", { text: coupon.code }),
						coupon.text ? " \u2013 " + coupon.text : ""),
					button(text("i18nCancelCoupon"), "iconRemove", () => {
						this.cart.cancelCoupon();
						const input = this.panel.querySelector(".tbCouponInput");
						if (input) input.focus();
					}, { "data-focus": "cancel-coupon" }));
			}
			const input = h("input", { type: "text", name: "coupon", class: "tbCouponInput", autocomplete: "off",
				"data-focus": "coupon", value: this.couponDraft || "" });
			const message = h("p", { class: "tbCouponMessage", id: "tillbox-coupon-message", text: this.couponMessage || "" });
			if (this.couponMessage) {
				input.setAttribute("aria-invalid", "true");
				input.setAttribute("aria-describedby", "tillbox-coupon-message");
			}
			const form = h("form", { class: "tbCoupon", onsubmit: (event) => {
				event.preventDefault();
				this.checkCoupon(input.value, form);
			} },
			h("label", { class: "tbCouponLabel" }, h("span", { text: text("i18nEnterCoupon") }), input),
			h("button", { type: "submit", class: "tbButton", "data-focus": "check-coupon" },
				icon("iconSearch"), h("span", { class: "tbButtonText", text: text("i18nCheckCoupon") })),
			message);
			return form;
		}

		async checkCoupon(code, form) {
			const typed = code.trim();
			this.couponDraft = typed;
			if (!typed) return;
			form.classList.add("tbBusy");
			form.querySelector("button").prepend(h("img", { class: "tbIcon tbLoader", src: iconURL("iconLoader"), alt: "" }));
			let answer = null;
			try {
				const skus = Array.from(new Set(this.cart.lines.map((l) => l.sku).filter(Boolean)));
				const body = new URLSearchParams({ code: typed, skus: skus.join(","), coupons: couponTablePath() });
				const response = await window.fetch(this.settings.commonPath + "/tillbox/couponChecker.php",
					{ method: "POST", body, headers: { Accept: "application/json" } });
				answer = await response.json();
			} catch (error) {
				answer = null;
			}
			if (answer && answer.valid === true) {
				this.couponDraft = "";
				this.couponMessage = "";
				this.cart.applyCoupon({
					code: toText(answer.code) || typed, text: toText(answer.text),
					type: answer.type === "%" ? "%" : "$", value: parseFloat(answer.value) || 0, sku: toText(answer.sku)
				});
				const cancel = this.panel.querySelector("[data-focus=cancel-coupon]");
				if (cancel) cancel.focus();
			} else {
				// The shop has no text for a refused code: show the code, struck through.
				this.couponMessage = "\u2717 " + typed;
				this.render();
				const input = this.panel.querySelector(".tbCouponInput");
				if (input) input.focus();
				this.announce(this.couponMessage);
			}
		}

		startCheckout() {
			if (this.cart.totals().count === 0) return;
			if (!this.open) this.setOpen(true);
			this.payment = null;
			if (this.settings.disclaimer) this.goTo("disclaimer");
			else this.afterDisclaimer();
		}

		afterDisclaimer() {
			const choices = this.checkoutChoices();
			if (choices.length === 1) this.pay(choices[0].id);
			else this.goTo("payment");
		}

		pay(id) {
			this.payment = id;
			if (id === "order") {
				this.goTo("order");
				return;
			}
			const totals = this.cart.totals();
			if (totals.count === 0) return;
			Checkouts[id](totals, this.settings);
		}

		renderDisclaimer() {
			const template = document.getElementById(this.settings.disclaimerTemplate);
			const content = h("div", { class: "tbDisclaimer" });
			if (template && template.content) content.append(template.content.cloneNode(true));
			const agree = h("input", { type: "checkbox", class: "tbAgree", required: true, "data-focus": "agree" });
			const form = h("form", { class: "tbView tbViewDisclaimer", onsubmit: (event) => {
				event.preventDefault();
				if (!agree.checked) {
					agree.focus();
					agree.reportValidity();
					return;
				}
				this.afterDisclaimer();
			} },
			this.heading(text("i18nCheckout")),
			content,
			h("label", { class: "tbAgreeLabel" }, agree, icon("iconAgree"), h("span", { text: text("i18nAgree") })),
			h("div", { class: "tbActions" },
				button(text("i18nBack"), "iconBack", () => this.goTo("cart")),
				h("button", { type: "submit", class: "tbButton tbPrimary" }, icon("iconCheckout"),
					h("span", { class: "tbButtonText", text: text("i18nProceed") }))));
			return form;
		}

		renderPayment(choices) {
			const list = h("div", { class: "tbChoices" }, choices.map((choice, index) =>
				h("label", { class: "tbChoice" },
					h("input", { type: "radio", name: "tillbox-payment", value: choice.id,
						checked: (this.payment || choices[0].id) === choice.id || null, "data-focus": "pay|" + choice.id }),
					h("span", { class: "tbChoiceLabel", text: choice.label }),
					choice.hint ? h("span", { class: "tbChoiceHint", text: choice.hint }) : null)));
			const form = h("form", { class: "tbView tbViewPayment", onsubmit: (event) => {
				event.preventDefault();
				const chosen = form.querySelector("input[name=tillbox-payment]:checked");
				if (chosen) this.pay(chosen.value);
			} },
			this.heading(text("i18nPayment")),
			h("fieldset", { class: "tbFieldset" }, h("legend", { class: "tbVisuallyHidden", text: text("i18nPayment") }), list),
			h("div", { class: "tbActions" },
				button(text("i18nBack"), "iconBack", () => this.goTo(this.settings.disclaimer ? "disclaimer" : "cart")),
				h("button", { type: "submit", class: "tbButton tbPrimary" }, icon("iconCheckout"),
					h("span", { class: "tbButtonText", text: text("i18nProceed") }))));
			return form;
		}

		renderOrder(totals) {
			const order = this.settings.order;
			const form = h("form", { class: "tbView tbViewOrder", novalidate: true });
			const drafts = this.orderDraft || (this.orderDraft = {});
			const controls = [];
			const purposes = new Map(order.fields.map((field) => [field.number, field.number === order.emailField
				? { autocomplete: "email", type: "email" } : fieldPurpose(field.label)]));
			// "Name" beside a surname field is the given name.
			const asked = order.fields.filter((field) => field.label.trim()).map((field) => purposes.get(field.number).autocomplete);
			const splitName = asked.includes("family-name");
			for (const field of order.fields) {
				if (!field.label.trim()) continue;
				const id = "tillbox-field-" + field.number;
				const purpose = purposes.get(field.number);
				const isEmail = purpose.type === "email";
				const autocomplete = purpose.autocomplete === "name" && splitName ? "given-name" : purpose.autocomplete;
				// The last field takes notes: it gets room for several lines.
				const control = field.number === 15
					? h("textarea", { id, name: "fields[" + field.number + "]", rows: 3, maxlength: 1000 })
					: h("input", { id, name: "fields[" + field.number + "]", type: purpose.type,
						autocomplete, maxlength: 1000,
						pattern: isEmail ? "[^@\\s]+@[^@\\s]+\\.[^@\\s]+" : null });
				control.value = drafts[field.number] || "";
				control.addEventListener("input", () => {
					drafts[field.number] = control.value;
					if (control.getAttribute("aria-invalid") === "true" && control.checkValidity()) markField(control, false);
				});
				control.dataset.focus = "field|" + field.number;
				if (field.required) {
					control.required = true;
					control.setAttribute("aria-required", "true");
				}
				controls.push(control);
				form.append(h("div", { class: "tbField" },
					h("label", { for: id }, field.label, field.required ? h("span", { class: "tbRequiredMark", "aria-hidden": "true", text: " *" }) : null),
					control));
			}
			// People never see this field; robots that fill every field do.
			form.append(h("div", { class: "tbHoneypot", "aria-hidden": "true" },
				h("label", {}, "Website", h("input", { type: "text", name: "website", tabindex: "-1", autocomplete: "off" }))));
			const status = h("p", { class: "tbOrderStatus", role: "alert" });
			form.prepend(this.heading(text("i18nPersonalInfo")),
				h("p", { class: "tbRequiredNote" }, h("span", { "aria-hidden": "true", text: "* " }), text("i18nRequired")));
			form.append(status, h("div", { class: "tbActions" },
				button(text("i18nBack"), "iconBack", () => this.goTo(this.checkoutChoices().length > 1 ? "payment" : this.settings.disclaimer ? "disclaimer" : "cart")),
				h("button", { type: "submit", class: "tbButton tbPrimary", "data-focus": "send" }, icon("iconSend"),
					h("span", { class: "tbButtonText", text: text("i18nSend") }))));
			form.addEventListener("submit", (event) => {
				event.preventDefault();
				if (form.classList.contains("tbBusy")) return;
				form.classList.add("tbTried");
				// Each field says what is wrong with it; the alert sums them up.
				const invalid = controls.filter((c) => !c.checkValidity());
				for (const control of controls) markField(control, invalid.includes(control));
				status.textContent = invalid.map((c) => fieldLabel(c) + ": " + c.validationMessage).join(" ");
				if (invalid.length) {
					invalid[0].focus();
					return;
				}
				this.sendOrder(form, status);
			});
			return form;
		}

		async sendOrder(form, status) {
			const totals = this.cart.totals();
			const s = this.settings;
			const d = s.money.decimals;
			const plain = (amount) => Money.plain(amount, d);
			const body = new URLSearchParams();
			for (const field of s.order.fields) {
				if (!field.label.trim()) continue;
				body.append("fields[" + field.number + "]", form.elements["fields[" + field.number + "]"].value.trim());
				body.append("labels[" + field.number + "]", field.label);
			}
			// Every retry of this checkout sends the same key, so the shop gets
			// the order once however often it is sent; a new one after success.
			this.orderKey = this.orderKey || newOrderKey();
			const catalogue = couponTablePath();
			body.append("orderKey", this.orderKey);
			body.append("catalogue", catalogue);
			body.append("lines", JSON.stringify(totals.lines.map((line) => {
				// Lines of the site's other shop pages are checked against their own table.
				const folder = filesFolderOf(line.thumb);
				return {
					id: line.id, name: line.name, sku: line.sku, quantity: line.quantity,
					options: line.options.map((o) => ({ name: o.name, value: o.value })),
					price: plain(line.shown), total: plain(line.shown * line.quantity),
					catalogue: folder && folder !== catalogue ? folder : ""
				};
			})));
			body.append("subtotal", plain(totals.subtotal));
			body.append("taxes", plain(totals.taxes));
			body.append("taxesIncluded", String(s.money.showTaxes));
			body.append("shipping", plain(totals.shipping));
			body.append("additionalCosts", plain(totals.additional));
			body.append("discount", plain(totals.discount));
			body.append("total", plain(totals.total));
			body.append("currency", s.paypal.currency || s.google.currency);
			body.append("coupon", this.cart.coupon && totals.discount ? this.cart.coupon.code : "");
			body.append("website", form.elements.website.value);

			const send = form.querySelector("[type=submit]");
			send.setAttribute("aria-disabled", "true");
			form.classList.add("tbBusy");
			send.prepend(h("img", { class: "tbIcon tbLoader", src: iconURL("iconLoader"), alt: "" }));
			let answer = null;
			try {
				const response = await window.fetch(s.commonPath + "/tillbox/orderMailer.php",
					{ method: "POST", body, headers: { Accept: "application/json" } });
				answer = await response.json();
			} catch (error) {
				answer = null;
			}
			if (answer && answer.ok === true) {
				this.result = { ok: true, orderID: toText(answer.orderId) };
				this.orderKey = null;
				this.orderDraft = null;
				this.step = "result";
				this.cart.empty();
				this.goTo("result");
			} else {
				send.removeAttribute("aria-disabled");
				form.classList.remove("tbBusy");
				const loader = send.querySelector(".tbLoader");
				if (loader) loader.remove();
				// "Please try again" would be wrong when the shop may have the order already.
				status.textContent = answer && answer.maybeSent === true && answer.error ? toText(answer.error)
					: text("i18nOrderFailed") + (answer && answer.error ? " (" + answer.error + ")" : "");
			}
		}

		renderResult() {
			const result = this.result || { ok: false };
			return h("div", { class: "tbView tbViewResult" },
				this.heading(result.ok ? text("i18nOrderSucceded") : text("i18nOrderFailed")),
				result.ok ? h("p", { text: text("i18nThankYou") }) : null,
				result.ok && result.orderID ? h("p", { class: "tbOrderID" }, h("strong", { text: result.orderID })) : null,
				h("div", { class: "tbActions" }, button(text("i18nClose"), "iconHide", () => {
					this.step = "cart";
					this.setOpen(false);
					this.toggle.focus();
				}, { "data-focus": "close" })));
		}
	}

	/* ------------------------------------------------------------------ */
	/* The listing                                                         */
	/* ------------------------------------------------------------------ */

	// The coupon and catalogue tables lie in the page's files folder, next to
	// its thumbnails.
	function couponTablePath() {
		const thumb = document.querySelector("form[data-tillbox-product] img");
		return thumb ? filesFolderOf(thumb.src) : "";
	}

	// The files folder of a picture's address, relative to the site root.
	function filesFolderOf(address) {
		let folder;
		try {
			folder = new URL(".", address);
		} catch (error) {
			return ""; // none, or not an address (a stored cart is the browser's to change)
		}
		const root = new URL(state.settings.commonPath.replace(/\/?$/, "/") + "../../../", window.location.href);
		return folder.pathname.startsWith(root.pathname)
			? decodeURIComponent(folder.pathname.slice(root.pathname.length)).replace(/\/$/, "")
			: "";
	}

	// A new key for one checkout: the order mailer sends each key's order once.
	function newOrderKey() {
		const bytes = new Uint8Array(16);
		window.crypto.getRandomValues(bytes);
		return Array.from(bytes, (b) => b.toString(16).padStart(2, "0")).join("");
	}

	/*
	 * At the purchase limit a product's button rests until the cart has room
	 * again, and says why. It stays focusable (aria-disabled, not disabled),
	 * so that the keyboard is not thrown back to the top of the page.
	 */
	function updateAddButtons() {
		for (const product of state.cart.products.values()) {
			const submit = product.form.querySelector("[type=submit]");
			if (!submit || product.outOfStock) continue;
			const room = state.cart.room(product.id);
			const note = submit.querySelector(".tbLimitNote");
			if (note) note.textContent = room <= 0 ? " (" + text("i18nLimitReached") + ")" : "";
			if (room <= 0) {
				submit.setAttribute("aria-disabled", "true");
				submit.title = text("i18nLimitReached");
			} else {
				submit.removeAttribute("aria-disabled");
				submit.removeAttribute("title");
			}
			submit.classList.toggle("tbAtLimit", room <= 0);
			const quantity = product.form.querySelector(".tbQuantityInput");
			if (quantity) {
				if (room === Infinity) quantity.removeAttribute("max");
				else quantity.max = String(Math.max(1, room));
			}
		}
	}

	function enhanceProduct(form) {
		const product = productFromForm(form);
		if (!product.id) return;
		state.cart.registerProduct(product);
		const item = form.closest(".tbItem");
		if (item) item.classList.toggle("tbOutOfStock", product.outOfStock);
		if (product.outOfStock) {
			for (const control of form.querySelectorAll("input, select, textarea")) control.disabled = true;
		}
		if (form.querySelector(".tbOldPrice") && item) item.classList.add("tbSpecial");
		// The visible "x" says nothing to a screen reader; the product's name alone neither.
		const quantityField = form.querySelector(".tbQuantityInput");
		if (quantityField) {
			quantityField.removeAttribute("aria-labelledby");
			quantityField.setAttribute("aria-label", text("i18nQuantity") + ", " + product.name);
		}
		const submitButton = form.querySelector("[type=submit]");
		if (submitButton) nameAddButton(submitButton, product.name);

		// List values show what they add, as the shop's prices show.
		const money = state.settings.money;
		for (const control of optionControls(form)) {
			if (control.tagName !== "SELECT") continue;
			for (const option of control.options) {
				const net4 = Money.parse4(option.dataset.price) || 0;
				const tax4 = Money.parse4(option.dataset.taxes) || 0;
				const amount = Money.round4(money.showTaxes ? net4 + tax4 : net4, money.decimals);
				if (!option.dataset.label) option.dataset.label = option.textContent;
				option.textContent = amount ? option.dataset.label + " (" + Money.formatSigned(amount, money) + ")" : option.dataset.label;
			}
		}

		form.addEventListener("submit", (event) => {
			event.preventDefault();
			const quantityInput = form.querySelector(".tbQuantityInput");
			const shown = quantityInput && quantityInput.offsetParent !== null;
			if (shown && !quantityInput.checkValidity()) {
				quantityInput.reportValidity();
				return;
			}
			if (state.cart.room(product.id) <= 0) {
				state.view.announce(state.view.summaryText(state.cart.totals(), product.name));
				return;
			}
			const quantity = shown ? parseInt(quantityInput.value, 10) || 1 : 1;
			const added = state.cart.add(product, chosenOptions(form), quantity);
			if (added && quantityInput) quantityInput.value = "1";
		});
	}

	// The listing's columns shrink on small screens; the generator's row
	// breaks are not needed by the grid.
	function layoutListing() {
		const first = document.querySelector(".tbItem[data-columns]");
		if (!first || !first.parentElement) return;
		const columns = Math.max(1, toInt(first.dataset.columns, 1));
		first.parentElement.classList.add("tbListing");
		first.parentElement.style.setProperty("--tb-columns", String(columns));
	}

	function applyColors(settings) {
		const style = document.documentElement.style;
		style.setProperty("--tb-color-cart", settings.colors.cart);
		style.setProperty("--tb-color-border", settings.colors.border);
		style.setProperty("--tb-color-button", settings.colors.button);
		style.setProperty("--tb-color-text", settings.colors.text);
		style.setProperty("--tb-color-image", settings.colors.image);
	}

	/* ------------------------------------------------------------------ */
	/* Public API                                                          */
	/* ------------------------------------------------------------------ */

	Object.assign(Tillbox, {
		/*
		 * Sets the cart up from the page header's values: reads the product
		 * forms, restores the stored cart, builds the cart bar. Called once;
		 * later calls are ignored.
		 */
		configure(config) {
			if (state.settings) return;
			const settings = readConfig(config);
			state.settings = settings;
			state.cart = new Cart(settings, new CartStore(settings.cartID, settings.cartExpiration));
			applyColors(settings);
			layoutListing();
			const forms = Array.from(document.querySelectorAll("form[data-tillbox-product]"));
			for (const form of forms) enhanceProduct(form);
			state.cart.load();
			state.view = new CartView(state.cart, settings);
			updateAddButtons();
		},

		// The shopper text of a text key ("i18nClose"), "" before configure.
		text,

		// Pure helpers, for the page's own scripts and for tests.
		Money,
		computeTotals,
		decodeBase64,
		htmlToText,
		icons: COMMON_ICON_NAMES
	});

	// Live views of the running cart (Object.assign would copy their values).
	Object.defineProperties(Tillbox, {
		settings: { get: () => state.settings, enumerable: true },
		cart: { get: () => state.cart, enumerable: true },
		view: { get: () => state.view, enumerable: true }
	});
})(window, document);
